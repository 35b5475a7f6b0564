#pragma once
// Comparing two value sets: which parameters (and setpoints) differ, each shown with its number,
// its name in the current language and both values as the program shows them (the parameter's
// decimals; for option parameters also the option texts). Used by the editor's comparison and by
// kmt40-cli diff and verify.

#include <optional>
#include <string>
#include <vector>

#include "app/core/Global_var.h"
#include "params/core/FileResult.h"

// A set as a file, the controller or the editor holds it; a kind of file holds only what it has.
struct TValueSet {
    std::optional<TParameterValues> Parameters;
    std::optional<TSetpointValues> Setpoints; // index 1..48
};

struct TValueDifference {
    bool Setpoint = false;
    int Number = 0;
    std::string Name;   // parameters only
    std::string Before; // as shown: "1,50", or "3 (9600)" for an option parameter
    std::string After;
};

// The differences, parameters first; setpoints only when both sets hold them and WithSetpoints.
// Nothing to compare (a parameter set against a setpoint set) gives nullopt.
std::optional<std::vector<TValueDifference>> CompareValueSets(const TValueSet& A, const TValueSet& B,
                                                              bool WithSetpoints = true);

// "P030" / "S005".
std::string DifferenceItemName(const TValueDifference& Difference);
// "P030<TAB>Name: 1,50 -> 2,00" / "S005<TAB>12,50 -> 13,00".
std::string DifferenceLine(const TValueDifference& Difference);
// A CSV line of the difference: kind and number, name, before, after (quoted where needed).
std::string DifferenceCsvLine(const TValueDifference& Difference);
inline constexpr char DifferenceCsvHeader[] = "item,name,before,after";

// Whether Path names a .app, .aps or .bak file (any case).
bool IsValueSetFile(const std::string& Path);
// The kind of file the extension of Path promises, as DescribeFileResult takes it: "P" (.app),
// "S" (.aps) or "" (.bak), so a reason names the file the user gave rather than what it holds.
std::string ValueSetItemLetter(const std::string& Path);
// A .app, .aps or .bak file by its extension; call it for those only.
TFileResult LoadValueSet(const std::string& Path, TValueSet& Set);

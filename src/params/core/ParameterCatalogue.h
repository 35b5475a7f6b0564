#pragma once
// The parameter catalogue (Parameters.txt): what each of the 400 parameters means - its name per
// language, numeric or option list, decimals, limits and factory default. One section per
// parameter, named by the number in three digits ("007"). A parameter without a section is
// undefined: no name, no options, no decimals, limits and default 0.

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/Global_var.h"
#include "app/core/LanguageFile.h"

inline constexpr char CatalogueFileName[] = "Parameters.txt";

// The catalogue's "type" values.
inline constexpr int32_t ParameterTypeNumeric = 0;
inline constexpr int32_t ParameterTypeOptions = 1;

// Parameters whose values give the decimals of the reserved "dec" selectors 9 and 10.
inline constexpr int PositionDecimalsParameter = 203;
inline constexpr int LinPositionDecimalsParameter = 248;

class TParameterCatalogue {
public:
    void Clear();
    void LoadFromText(std::string_view text);
    bool LoadFromFile(const std::string& path);

    // "%3.3d": parameter 7 is section "007". Any int gives a name; one outside 0..399 simply has
    // no section.
    static std::string SectionName(int n);

    bool HasParameter(int n) const;
    // Key "naam" + the language index; empty when missing.
    std::string Name(int n, int languageIndex) const;
    int32_t Type(int n) const;
    // The option list for the language after following a "#" reference once (see the .cpp).
    std::vector<std::string> ResolveOptionList(int n, int languageIndex) const;
    // Raw "dec", selectors 9 and 10 not resolved.
    int32_t Dec(int n) const;
    int32_t Min(int n) const;
    int32_t Max(int n) const;
    int32_t Default(int n) const;

    // The file's sections and keys, for lookups beyond the fixed keys.
    const TLanguageFile& Text() const { return text_; }

private:
    int32_t ReadInteger(int n, std::string_view key, int32_t Default) const;

    TLanguageFile text_; // same line rules as the language files
};

// Decimals of a raw "dec" value: 9 becomes the value of parameter 203, and then a 10 becomes the
// value of parameter 248 (the order FormatFixed applies them in). Pure: the values are passed in.
int32_t ResolveDecimalsSelector(int32_t dec, const TParameterValues& parameterValues);

// --- program-wide catalogue (loaded once at start-up, looked up by every window) ---------------

extern TParameterCatalogue ParameterCatalogue;
extern bool CatalogueLoaded;

// Loads ProgramDir + "Parameters.txt" into ParameterCatalogue and sets CatalogueLoaded when the
// file is there; otherwise leaves CatalogueLoaded false. Never reports an error.
void ParameterDef_lezen();

// Lookups on ParameterCatalogue in the current LanguageIndex and with the current ParameterValues.
std::vector<std::string> ResolveOptionList(int n);
int32_t ResolveDecimals(int n);

// The catalogue's "default" of every parameter (0 where missing): the editor's "Laad default",
// which is refused without a catalogue, so callers check CatalogueLoaded first.
TParameterValues CatalogueDefaultValues();

#pragma once
// How the 24 cams lie on the 9 outputs, and what the cam display shows for one selected cell.
// Everything comes from the value tables; nothing here talks to the controller.
#include "app/core/Global_var.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace views {

constexpr int CamCount = 24;
constexpr int CamOutputCount = 9;

// Parameters of cam n (1..24) and output m (1..9).
constexpr int CamFunctionParameter(int n) { return 255 + n; }
constexpr int CamSourceParameter(int n) { return 279 + n; }
constexpr int CamStartSelectParameter(int n) { return 303 + n; }
constexpr int CamEndSelectParameter(int n) { return 327 + n; }
constexpr int CamOutputParameter(int n) { return 351 + n; }
constexpr int CamFixedStartParameter(int n) { return 6 + n; }
constexpr int CamFixedEndParameter(int n) { return 30 + n; }
constexpr int CamHysteresisParameter(int n) { return 54 + n; }
constexpr int OutputAdvanceParameter(int m) { return 93 + m; }

// The cam function whose colour fills grid cell (column c = cam, row = output), or 0 for no fill:
// only functions 1, 2 and 3 colour, and only in the cam's own output row.
int CamFillFunction(const TParameterValues& parameters, int column, int row);

// The raw position a start or end select code s stands for: 0 the cam's fixed value, 1..48 a
// setpoint, 49..52 thumbwheel 1..4. A code outside 0..52 names no position.
std::optional<std::int32_t> CamPosition(int select, std::int32_t fixedValue, const TSetpointValues& setpoints,
                                        const TThumbwheelValues& thumbwheels);

// Texts of the nine detail panels. An option text is nullopt when no option list is at hand
// (no catalogue): the panel is then left as it is.
struct CamDetails {
    bool shown = false; // false: every panel is emptied
    std::string number;
    std::optional<std::string> function;
    std::optional<std::string> source;
    std::string start;
    std::optional<std::string> startSelect;
    std::string end;
    std::optional<std::string> endSelect;
    std::string hysteresis;
    std::string advance;
};

// The option list of a parameter in the current language.
using OptionLookup = std::function<std::vector<std::string>(int parameter)>;

// What the panels show for grid cell (column, row): the cam's details when the cell is the used
// cam's output cell, else nothing. A select outside 0..52 shows "########" as its position.
CamDetails CamDetailsAt(const TParameterValues& parameters, const TSetpointValues& setpoints,
                        const TThumbwheelValues& thumbwheels, int column, int row, const OptionLookup& options);

} // namespace views

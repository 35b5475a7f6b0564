#include "views/core/CamLayout.h"

#include "app/core/Functies.h"
#include "params/core/ParameterDisplay.h"

namespace views {

namespace {

std::int32_t P(const TParameterValues& parameters, int n)
{
    return parameters[static_cast<std::size_t>(n)];
}

bool IsCam(int n)
{
    return n >= 1 && n <= CamCount;
}

// The option text of value v of parameter p; a value the list does not hold shows as "########"
// (an earlier cam's text must not stay in the panel).
std::optional<std::string> OptionOf(const OptionLookup& options, int p, std::int32_t v)
{
    const std::vector<std::string> list = options ? options(p) : std::vector<std::string>{};
    if (list.empty())
        return std::nullopt;
    return OptionText(list, v);
}

std::string PositionText(std::optional<std::int32_t> position)
{
    return position ? FormatFixed(DecimalsOfPosition, *position) : std::string(NoOptionText);
}

} // namespace

int CamFillFunction(const TParameterValues& parameters, int column, int row)
{
    if (!IsCam(column) || row < 1 || row > CamOutputCount || P(parameters, CamOutputParameter(column)) != row)
        return 0;
    const std::int32_t function = P(parameters, CamFunctionParameter(column));
    return function >= 1 && function <= 3 ? function : 0;
}

std::optional<std::int32_t> CamPosition(int select, std::int32_t fixedValue, const TSetpointValues& setpoints,
                                        const TThumbwheelValues& thumbwheels)
{
    if (select == 0)
        return fixedValue;
    if (select >= 1 && select <= SetpointCount)
        return setpoints[static_cast<std::size_t>(select)];
    if (select > SetpointCount && select <= SetpointCount + ThumbwheelCount)
        return thumbwheels[static_cast<std::size_t>(select - SetpointCount - 1)];
    return std::nullopt;
}

CamDetails CamDetailsAt(const TParameterValues& p, const TSetpointValues& setpoints,
                        const TThumbwheelValues& thumbwheels, int column, int row, const OptionLookup& options)
{
    CamDetails details;
    const int n = column;
    if (!IsCam(n) || row < 1 || row > CamOutputCount || P(p, CamFunctionParameter(n)) <= 0 ||
        P(p, CamOutputParameter(n)) != row)
        return details;
    details.shown = true;
    details.number = std::to_string(n);
    details.function = OptionOf(options, CamFunctionParameter(n), P(p, CamFunctionParameter(n)));
    details.source = OptionOf(options, CamSourceParameter(n), P(p, CamSourceParameter(n)));

    const std::int32_t startSelect = P(p, CamStartSelectParameter(n));
    details.start = PositionText(CamPosition(startSelect, P(p, CamFixedStartParameter(n)), setpoints, thumbwheels));
    details.startSelect = OptionOf(options, CamStartSelectParameter(n), startSelect);

    // Only function 1 switches off at an end position.
    if (P(p, CamFunctionParameter(n)) == 1) {
        const std::int32_t endSelect = P(p, CamEndSelectParameter(n));
        details.end = PositionText(CamPosition(endSelect, P(p, CamFixedEndParameter(n)), setpoints, thumbwheels));
        details.endSelect = OptionOf(options, CamEndSelectParameter(n), endSelect);
    } else {
        details.end = "---";
        details.endSelect = "---";
    }
    details.hysteresis = FormatFixed(DecimalsOfPosition, P(p, CamHysteresisParameter(n)));
    // The output is 1..9 here: it equals the row.
    details.advance = FormatFixed(3, P(p, OutputAdvanceParameter(row)));
    return details;
}

} // namespace views

#include "ControllerUnit.h"

#include <iterator>

#include "FactoryDefaults.h"

namespace km4x {

namespace {

std::string Join(const std::string& letters, const std::string& rest)
{
    return letters + " " + rest;
}

std::string Num(int64_t value)
{
    return std::to_string(value);
}

// The single argument of a command as an integer in [min, max].
std::optional<int32_t> OneArg(const Command& command, int32_t min, int32_t max)
{
    if (command.args.size() != 1)
        return std::nullopt;
    const auto value = ParseInt32(command.args[0]);
    if (!value || *value < min || *value > max)
        return std::nullopt;
    return value;
}

} // namespace

ControllerUnit::ControllerUnit(UnitConfig config, Clock::time_point started)
    : m_config(std::move(config))
    , m_started(started)
{
    if (m_config.serialText.empty())
        m_config.serialText = "SN 0047" + std::to_string(100 + m_config.number).substr(1);
    resetToFactory();
}

void ControllerUnit::resetToFactory()
{
    for (int n = 0; n < ParameterCount; ++n)
        parameters[static_cast<size_t>(n)] = FactoryParameter(n);
    for (int n = 1; n <= SetpointCount; ++n)
        setpoints[static_cast<size_t>(n - 1)] = FactorySetpoint(n);
    // A controller reports where it is on its line: its unit number and the code of its baud rate.
    parameters[0] = m_config.number;
    static constexpr int BaudCodes[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    for (int code = 0; code < static_cast<int>(std::size(BaudCodes)); ++code)
        if (BaudCodes[code] == m_config.line.baud)
            parameters[1] = code;
}

LiveValues ControllerUnit::liveValues(Clock::time_point now) const
{
    if (frozenLive)
        return *frozenLive;
    return LiveValuesAt(std::chrono::duration<double>(now - m_started).count());
}

std::string ControllerUnit::answer(const Command& command, Clock::time_point now)
{
    if (!command.wellFormed)
        return UnknownCommandReply;
    const std::string& c = command.letters;
    if (c == "sc") {
        const auto unit = OneArg(command, 0, 31);
        return unit ? Join(c, Num(*unit)) : BadArgumentReply;
    }
    if (c[0] == 'r')
        return answerRead(command, now);
    if (c == "wp" || c == "ws" || c == "wf" || c == "bp")
        return answerStore(command);
    if (c[0] == 'k')
        return answerCalibration(command);
    return UnknownCommandReply;
}

std::string ControllerUnit::answerRead(const Command& command, Clock::time_point now)
{
    const std::string& c = command.letters;
    const bool noArgs = command.args.empty();
    if (c == "rt" || c == "rh" || c == "rx") {
        if (!noArgs)
            return BadArgumentReply;
        if (c == "rx" && !m_config.knowsSerialText)
            return UnknownCommandReply;
        return Join(c, c == "rt" ? m_config.typeText : c == "rh" ? m_config.versionText : m_config.serialText);
    }
    if (c == "r0" || c == "r1" || c == "r2" || c == "r3" || c == "r8") {
        if (!noArgs)
            return BadArgumentReply;
        const LiveValues live = liveValues(now);
        const int32_t value = c == "r0" ? live.position
            : c == "r1"                 ? live.speed
            : c == "r2"                 ? live.voltage
            : c == "r3"                 ? live.current
                                        : live.linPosition;
        return Join(c, Num(value));
    }
    if (c == "ri" || c == "ru" || c == "ra" || c == "rb" || c == "rf") {
        if (!noArgs)
            return BadArgumentReply;
        const int64_t value = c == "ri" ? int64_t{inputs}
            : c == "ru"                 ? int64_t{outputs}
            : c == "ra"                 ? int64_t{dataIn}
            : c == "rb"                 ? int64_t{dataOut}
                                        : int64_t{errorNumber};
        return Join(c, Num(value));
    }
    if (c == "rd") {
        const auto index = OneArg(command, 1, 4);
        if (!index)
            return BadArgumentReply;
        return Join(c, Num(*index) + " " + Num(thumbwheels[static_cast<size_t>(*index - 1)]));
    }
    if (c == "rp") {
        const auto n = OneArg(command, 0, ParameterCount - 1);
        if (!n)
            return BadArgumentReply;
        return Join(c, Num(*n) + " " + Num(parameters[static_cast<size_t>(*n)]));
    }
    if (c == "rs") {
        const auto n = OneArg(command, 1, SetpointCount);
        if (!n)
            return BadArgumentReply;
        return Join(c, Num(*n) + " " + Num(setpoints[static_cast<size_t>(*n - 1)]));
    }
    return UnknownCommandReply;
}

std::string ControllerUnit::answerStore(const Command& command)
{
    const std::string& c = command.letters;
    if (c == "wf") {
        if (!command.args.empty())
            return BadArgumentReply;
        errorNumber = -1;
        return Join(c, Num(errorNumber));
    }
    if (c == "bp") {
        if (!command.args.empty())
            return BadArgumentReply;
        ++computeCount;
        const int32_t result = computeFailure ? *computeFailure : CheckParameters(parameters);
        return Join(c, Num(result));
    }
    // "wp n v" / "ws n v": a write to a number the controller does not have is refused.
    if (command.args.size() != 2)
        return BadArgumentReply;
    const auto n = ParseInt32(command.args[0]);
    const auto value = ParseInt32(command.args[1]);
    if (!n || !value)
        return BadArgumentReply;
    if (c == "wp") {
        if (*n < 0 || *n >= ParameterCount)
            return RefusedReply;
        parameters[static_cast<size_t>(*n)] = *value;
    } else {
        if (*n < 1 || *n > SetpointCount)
            return RefusedReply;
        setpoints[static_cast<size_t>(*n - 1)] = *value;
    }
    return Join(c, Num(*n) + " " + Num(*value));
}

std::string ControllerUnit::answerCalibration(const Command& command)
{
    const std::string& c = command.letters;
    CalibrationState& cal = calibration;
    if (c == "km") {
        const auto on = OneArg(command, 0, 1);
        if (!on)
            return BadArgumentReply;
        cal.mode = *on == 1;
        if (!cal.mode)
            cal.daSelect = 0;
        return Join(c, Num(*on));
    }
    if (c == "kr") {
        const auto code = OneArg(command, FirstCalibrationCode, LastCalibrationCode);
        if (!code)
            return BadArgumentReply;
        return Join(c, Num(*code) + " " + Num(cal.values[static_cast<size_t>(*code - FirstCalibrationCode)]));
    }
    if (c != "ka" && c != "kw" && c != "kf" && c != "ks")
        return UnknownCommandReply;
    // Everything that changes the analogue output needs calibration mode first.
    if (!cal.mode)
        return RefusedReply;
    if (c == "ka") {
        const auto value = OneArg(command, INT32_MIN, INT32_MAX);
        if (!value)
            return BadArgumentReply;
        cal.reference = *value;
        return Join(c, Num(*value));
    }
    if (c == "kf") {
        const auto select = OneArg(command, 0, 2);
        if (!select)
            return BadArgumentReply;
        cal.daSelect = *select;
        return Join(c, Num(*select));
    }
    if (c == "ks") {
        if (!command.args.empty())
            return BadArgumentReply;
        cal.saved = cal.values;
        ++cal.saveCount;
        return Join(c, "-1");
    }
    // "kw code value"
    if (command.args.size() != 2)
        return BadArgumentReply;
    const auto code = ParseInt32(command.args[0]);
    const auto value = ParseInt32(command.args[1]);
    if (!code || !value || *code < FirstCalibrationCode || *code > LastCalibrationCode)
        return BadArgumentReply;
    cal.values[static_cast<size_t>(*code - FirstCalibrationCode)] = *value;
    return Join(c, Num(*code) + " " + Num(*value));
}

} // namespace km4x

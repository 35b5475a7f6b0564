#include "SimulatorConsole.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace km4x {

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

ConsoleReply Fail(const std::string& text)
{
    return {false, text, false};
}

ConsoleReply Done(const std::string& text = "ok")
{
    return {true, text, false};
}

// The unit a value command means: the one named, or else the selected (or first) unit.
std::optional<int> UnitArg(const Simulator& sim, const std::vector<std::string>& w, size_t index)
{
    if (index < w.size()) {
        const auto n = ParseInt32(w[index]);
        if (!n)
            return std::nullopt;
        return *n;
    }
    const auto selected = sim.selectedUnits();
    if (!selected.empty())
        return selected.front();
    return sim.units().front();
}

// "all" or a unit number, AllUnits when left off.
std::optional<int> UnitOrAll(const std::vector<std::string>& w, size_t index)
{
    if (index >= w.size() || w[index] == "all")
        return Simulator::AllUnits;
    const auto n = ParseInt32(w[index]);
    if (!n)
        return std::nullopt;
    return *n;
}

std::optional<int32_t> Int(const std::vector<std::string>& w, size_t index)
{
    return index < w.size() ? ParseInt32(w[index]) : std::nullopt;
}

std::string Status(Simulator& sim)
{
    std::ostringstream out;
    out << "line " << (sim.lineOpen() ? "open " : "closed ") << sim.devicePath() << "\n";
    out << "delay " << sim.answerDelay().count() << " ms, pacing " << (sim.pacing() ? "on" : "off")
        << ", slow " << sim.faultSettings().slowDelay.count() << " ms\n";
    const auto selected = sim.selectedUnits();
    for (int unit : sim.units()) {
        std::string line;
        sim.withUnit(unit, [&](ControllerUnit& u) {
            line = "unit " + std::to_string(unit) + " " + ToText(u.config().line) + " \"" + u.config().typeText
                + "\" error " + std::to_string(u.errorNumber);
        });
        for (int s : selected)
            if (s == unit)
                line += " selected";
        std::string faults;
        for (size_t f = 0; f < FaultKinds; ++f)
            if (sim.faultOn(unit, static_cast<Fault>(f)))
                faults += std::string(" ") + FaultName(static_cast<Fault>(f));
        if (!faults.empty())
            line += " faults:" + faults;
        out << line << "\n";
    }
    std::string text = out.str();
    text.pop_back();
    return text;
}

ConsoleReply ValueCommand(Simulator& sim, const std::vector<std::string>& w)
{
    const std::string& c = w[0];
    const size_t unitIndex = c == "param" || c == "setpoint" || c == "data" || c == "thumb" ? 3 : 2;
    const auto unit = UnitArg(sim, w, unitIndex);
    const auto a = Int(w, 1);
    const auto b = Int(w, 2);
    if (!unit || !a || (unitIndex == 3 && !b))
        return Fail("usage: see help");
    bool ok = false;
    if (c == "param")
        ok = sim.setParameter(*unit, *a, *b);
    else if (c == "setpoint")
        ok = sim.setSetpoint(*unit, *a, *b);
    else if (c == "error")
        ok = sim.setErrorNumber(*unit, *a);
    else if (c == "inputs")
        ok = sim.withUnit(*unit, [&](ControllerUnit& u) { u.inputs = static_cast<uint32_t>(*a); });
    else if (c == "outputs")
        ok = sim.withUnit(*unit, [&](ControllerUnit& u) { u.outputs = static_cast<uint32_t>(*a); });
    else if (c == "data")
        ok = sim.withUnit(*unit, [&](ControllerUnit& u) {
            u.dataIn = *a;
            u.dataOut = *b;
        });
    else if (c == "thumb")
        ok = *a >= 1 && *a <= 4
            && sim.withUnit(*unit, [&](ControllerUnit& u) { u.thumbwheels[static_cast<size_t>(*a - 1)] = *b; });
    return ok ? Done() : Fail("no such unit or number");
}

} // namespace

std::string ConsoleHelp()
{
    return "Console commands (one per line; UNIT defaults to all units for faults and to the\n"
           "selected unit for values):\n"
           "  fault NAME on|off [UNIT|all] [CMD]  switch a fault; CMD limits it to replies to one\n"
           "                                      command (e.g. rp). NAME: silent, slow, echo-once,\n"
           "                                      echo-always, garbage, long, noise, refuse, cut-end,\n"
           "                                      doubled, other-value, other-number\n"
           "  clear [UNIT|all]                    all faults off and all refusals lifted\n"
           "  refuse N [UNIT|all]                 answer \"wp N v\" with er 7;  accept N [UNIT|all] undoes it\n"
           "  bp ok|NUMBER [UNIT]                 let \"bp\" check the parameters, or answer NUMBER\n"
           "  error NUMBER [UNIT]                 error number read by \"rf\" (-1: none)\n"
           "  param N VALUE [UNIT]                set parameter N (0..399)\n"
           "  setpoint N VALUE [UNIT]             set setpoint N (1..48)\n"
           "  inputs BITS [UNIT] / outputs BITS [UNIT] / data IN OUT [UNIT] / thumb 1..4 VALUE [UNIT]\n"
           "  select UNIT                         make UNIT the selected unit\n"
           "  serial UNIT TEXT                    \"rx\" of UNIT answers TEXT (a replaced controller)\n"
           "  line UNIT BAUD[,P[,D[,S]]]          change a unit's line settings (e.g. 19200,N,8,2)\n"
           "  delay MS / slow MS / long BYTES / noiselen BYTES   timing and fault sizes\n"
           "  pacing on|off                       send reply bytes at the wire speed\n"
           "  noise COUNT                         put COUNT random bytes on the line now\n"
           "  close / reopen                      unplug the line / plug it in again (prints the path)\n"
           "  log [N]                             the last N requests (default 10)\n"
           "  status / help / quit\n";
}

ConsoleReply RunConsoleCommand(Simulator& sim, const std::string& line)
{
    const std::vector<std::string> w = Words(line);
    if (w.empty())
        return Done("");
    const std::string& c = w[0];

    if (c == "help")
        return Done(ConsoleHelp());
    if (c == "quit" || c == "exit")
        return {true, "bye", true};
    if (c == "status")
        return Done(Status(sim));
    if (c == "fault") {
        const auto fault = w.size() > 1 ? FaultFromName(w[1]) : std::nullopt;
        const auto unit = UnitOrAll(w, 3);
        if (!fault || w.size() < 3 || (w[2] != "on" && w[2] != "off") || !unit || w.size() > 5)
            return Fail("usage: fault NAME on|off [UNIT|all] [CMD]");
        sim.setFault(*unit, *fault, w[2] == "on", w.size() > 4 ? w[4] : std::string{});
        return Done();
    }
    if (c == "clear") {
        const auto unit = UnitOrAll(w, 1);
        if (!unit)
            return Fail("usage: clear [UNIT|all]");
        sim.clearFaults(*unit);
        return Done();
    }
    if (c == "refuse" || c == "accept") {
        const auto n = Int(w, 1);
        const auto unit = UnitOrAll(w, 2);
        if (!n || !unit)
            return Fail("usage: " + c + " N [UNIT|all]");
        sim.refuseParameter(*unit, *n, c == "refuse");
        return Done();
    }
    if (c == "bp") {
        const auto unit = UnitArg(sim, w, 2);
        const bool check = w.size() > 1 && w[1] == "ok";
        const auto number = Int(w, 1);
        if (!unit || (!check && !number))
            return Fail("usage: bp ok|NUMBER [UNIT]");
        return sim.setComputeFailure(*unit, check ? std::nullopt : number) ? Done() : Fail("no such unit");
    }
    if (c == "param" || c == "setpoint" || c == "error" || c == "inputs" || c == "outputs" || c == "data"
        || c == "thumb")
        return ValueCommand(sim, w);
    if (c == "serial") {
        const auto unit = Int(w, 1);
        if (!unit || w.size() < 3)
            return Fail("usage: serial UNIT TEXT");
        std::string text = w[2];
        for (size_t i = 3; i < w.size(); ++i)
            text += " " + w[i];
        return sim.setSerialText(*unit, text) ? Done() : Fail("no such unit");
    }
    if (c == "select") {
        const auto unit = Int(w, 1);
        if (!unit)
            return Fail("usage: select UNIT");
        sim.selectUnit(*unit);
        return Done();
    }
    if (c == "line") {
        const auto unit = Int(w, 1);
        const auto settings = w.size() == 3 ? ParseLineSettings(w[2]) : std::nullopt;
        if (!unit || !settings)
            return Fail("usage: line UNIT BAUD[,P[,D[,S]]]");
        return sim.setLineSettings(*unit, *settings) ? Done() : Fail("no such unit");
    }
    if (c == "delay" || c == "slow" || c == "long" || c == "noiselen" || c == "noise") {
        const auto value = Int(w, 1);
        if (!value || *value < 0 || w.size() != 2)
            return Fail("usage: " + c + " NUMBER");
        FaultSettings settings = sim.faultSettings();
        if (c == "delay")
            sim.setAnswerDelay(std::chrono::milliseconds(*value));
        else if (c == "noise")
            sim.injectNoise(static_cast<size_t>(*value));
        else {
            if (c == "slow")
                settings.slowDelay = std::chrono::milliseconds(*value);
            else if (c == "long")
                settings.overLongLength = static_cast<size_t>(*value);
            else
                settings.noiseLength = static_cast<size_t>(*value);
            sim.setFaultSettings(settings);
        }
        return Done();
    }
    if (c == "pacing") {
        if (w.size() != 2 || (w[1] != "on" && w[1] != "off"))
            return Fail("usage: pacing on|off");
        sim.setPacing(w[1] == "on");
        return Done();
    }
    if (c == "close") {
        sim.closeLine();
        return Done();
    }
    if (c == "reopen") {
        std::string error;
        if (!sim.reopenLine(&error))
            return Fail("reopen failed: " + error);
        return Done(sim.devicePath());
    }
    if (c == "log") {
        const auto count = w.size() > 1 ? Int(w, 1) : std::optional<int32_t>(10);
        if (!count || *count < 0)
            return Fail("usage: log [N]");
        const auto records = sim.requestLog();
        const size_t first = records.size() > static_cast<size_t>(*count) ? records.size() - static_cast<size_t>(*count) : 0;
        std::string text;
        const auto start = records.empty() ? std::chrono::steady_clock::now() : records.front().time;
        for (size_t i = first; i < records.size(); ++i)
            text += (text.empty() ? "" : "\n") + FormatRequest(records[i], start);
        return Done(text);
    }
    return Fail("unknown command \"" + c + "\" (try help)");
}

std::string FormatRequest(const RequestRecord& record, std::chrono::steady_clock::time_point start)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(record.time - start).count();
    std::string text;
    for (unsigned char ch : record.text) {
        if (ch >= 0x20 && ch < 0x7F && ch != '\\' && ch != '"') {
            text.push_back(static_cast<char>(ch));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", ch);
            text += hex;
        }
    }
    return std::to_string(ms) + " ms unit " + (record.unit >= 0 ? std::to_string(record.unit) : std::string("-"))
        + (record.answered ? " answered" : " silent") + " " + std::to_string(record.line.baud) + "/"
        + std::to_string(record.line.stopBits) + " \"" + text + "\"";
}

} // namespace km4x

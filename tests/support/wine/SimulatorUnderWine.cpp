// km4x::Simulator for the window tests built for Windows and run under Wine: the real simulator
// (km4x-sim, a Linux program) on a pseudo-terminal that Wine maps to a COM port, so that the test
// talks to it through the Win32 serial line. scripts/windows.sh prepares the COM ports and says
// where everything is in KMT40_WINE_SIMULATOR ("SIMULATOR|SLOT_DIR|FIRST_COM|COUNT", Unix paths):
// COM<FIRST_COM+i> is SLOT_DIR/slot<i>.link. Each simulator takes a free slot (a lock file held
// while it lives, so test programs run side by side), starts km4x-sim on it through Wine's start of
// Unix programs, steers it through its console (commands appended to a file that `tail -F` feeds
// it) and reads its request log file. What the console cannot do is refused with an exception,
// which fails the test that asked for it.
#include "Simulator.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace km4x {

namespace {

using namespace std::chrono_literals;

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    return parts;
}

std::string WindowsPath(const std::string& unixPath) { return "Z:" + unixPath; }

std::vector<std::string> ReadLines(const std::string& unixPath)
{
    std::vector<std::string> lines;
    std::ifstream file(WindowsPath(unixPath), std::ios::binary);
    std::string line;
    while (std::getline(file, line))
        lines.push_back(line);
    return lines;
}

char ParityLetter(Parity parity)
{
    switch (parity) {
    case Parity::None: return 'N';
    case Parity::Odd: return 'O';
    default: return 'E';
    }
}

std::string LineText(const LineSettings& line)
{
    return std::to_string(line.baud) + "," + ParityLetter(line.parity) + "," + std::to_string(line.dataBits) + ","
        + std::to_string(line.stopBits);
}

std::string UnitText(int unit) { return unit == Simulator::AllUnits ? "all" : std::to_string(unit); }

// A logged request: `123 ms unit 12 answered 9600/1 "sc 12"`, the text escaped as \xNN.
RequestRecord ParseLogLine(const std::string& line)
{
    RequestRecord record;
    const size_t unitAt = line.find(" unit ");
    if (unitAt != std::string::npos && line.compare(unitAt + 6, 1, "-") != 0)
        record.unit = std::atoi(line.c_str() + unitAt + 6);
    record.answered = line.find(" answered ") != std::string::npos;
    const size_t first = line.find('"'), last = line.rfind('"');
    if (first == std::string::npos || last <= first)
        return record;
    for (size_t i = first + 1; i < last; ++i) {
        if (line[i] == '\\' && i + 3 < last && line[i + 1] == 'x') {
            record.text.push_back(static_cast<char>(std::stoi(line.substr(i + 2, 2), nullptr, 16)));
            i += 3;
        } else {
            record.text.push_back(line[i]);
        }
    }
    return record;
}

[[noreturn]] void NotUnderWine(const char* what)
{
    throw std::logic_error(std::string("km4x::Simulator::") + what + " is not available to a test under Wine");
}

} // namespace

struct Simulator::Impl {
    std::string slot;   // SLOT_DIR/slot<i>, Unix path without extension
    std::string comName;
    HANDLE lock = INVALID_HANDLE_VALUE;
    mutable std::mutex mutex;
    size_t repliesSeen = 1; // the first line of its output is the path
    size_t logStart = 0;    // log lines before the last clearLog()
    bool stopped = false;

    // Sends one console command and waits until the simulator has answered it.
    void command(const std::string& text)
    {
        std::lock_guard<std::mutex> guard(mutex);
        {
            std::ofstream file(WindowsPath(slot + ".cmd"), std::ios::binary | std::ios::app);
            file << text << "\n";
        }
        ++repliesSeen;
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (ReadLines(slot + ".out").size() < repliesSeen) {
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("km4x-sim did not answer the console command \"" + text + "\"");
            std::this_thread::sleep_for(5ms);
        }
    }
};

Simulator::Simulator(SimulatorOptions options) : m(std::make_unique<Impl>())
{
    const char* setup = std::getenv("KMT40_WINE_SIMULATOR");
    if (!setup)
        throw std::runtime_error("KMT40_WINE_SIMULATOR is not set: run the window tests under Wine through "
                                 "scripts/windows.sh, which starts the simulators' COM ports");
    const std::vector<std::string> parts = Split(setup, '|');
    if (parts.size() != 4)
        throw std::runtime_error("KMT40_WINE_SIMULATOR is not SIMULATOR|SLOT_DIR|FIRST_COM|COUNT");
    const int firstCom = std::stoi(parts[2]), count = std::stoi(parts[3]);
    for (int i = 0; i < count && m->lock == INVALID_HANDLE_VALUE; ++i) {
        const std::string slot = parts[1] + "/slot" + std::to_string(i);
        m->lock = CreateFileA(WindowsPath(slot + ".lock").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m->lock != INVALID_HANDLE_VALUE) {
            m->slot = slot;
            m->comName = "\\\\.\\COM" + std::to_string(firstCom + i);
        }
    }
    if (m->lock == INVALID_HANDLE_VALUE)
        throw std::runtime_error("every simulator slot under Wine is in use");

    for (const char* extension : {".cmd", ".out", ".log"})
        DeleteFileA(WindowsPath(m->slot + extension).c_str());
    { std::ofstream(WindowsPath(m->slot + ".cmd")); }
    std::string arguments = " --link " + m->slot + ".link --log " + m->slot + ".log";
    for (const UnitConfig& unit : options.units)
        arguments += " --unit '" + std::to_string(unit.number) + ":" + LineText(unit.line) + ":" + unit.typeText + "'";
    if (options.answerDelay.count() > 0)
        arguments += " --delay " + std::to_string(options.answerDelay.count());
    if (options.pacing)
        arguments += " --pacing";
    // The test's own standard handles are not the simulator's: a pipe held open by it would keep
    // whoever reads the test's output waiting after the test has ended.
    std::string commandLine = "/bin/sh -c \"exec </dev/null >/dev/null 2>&1; exec tail -n +1 -F " + m->slot
        + ".cmd | exec " + parts[0] + arguments + " >" + m->slot + ".out 2>&1\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        throw std::runtime_error("cannot start km4x-sim: Windows error " + std::to_string(GetLastError()));
    if (info.hThread)
        CloseHandle(info.hThread);
    if (info.hProcess)
        CloseHandle(info.hProcess);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (ReadLines(m->slot + ".out").empty()) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("km4x-sim did not start on " + m->slot);
        std::this_thread::sleep_for(10ms);
    }
    for (const UnitConfig& unit : options.units) {
        if (!unit.serialText.empty())
            m->command("serial " + std::to_string(unit.number) + " " + unit.serialText);
    }
}

Simulator::~Simulator()
{
    stop();
    if (m->lock != INVALID_HANDLE_VALUE)
        CloseHandle(m->lock);
}

void Simulator::stop()
{
    if (m->stopped || m->slot.empty())
        return;
    m->stopped = true;
    {
        std::ofstream file(WindowsPath(m->slot + ".cmd"), std::ios::binary | std::ios::app);
        file << "quit\n";
    }
    // Wine gives no handle of a Unix process: its end shows as its line going away.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (GetFileAttributesA(WindowsPath(m->slot + ".link").c_str()) != INVALID_FILE_ATTRIBUTES
           && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    // A line more ends the tail that fed the console, now that nobody reads from it.
    std::ofstream file(WindowsPath(m->slot + ".cmd"), std::ios::binary | std::ios::app);
    file << "\n";
}

std::string Simulator::devicePath() const { return m->comName; }
void Simulator::closeLine() { m->command("close"); }
bool Simulator::reopenLine(std::string*)
{
    m->command("reopen");
    return true;
}
bool Simulator::lineOpen() const { NotUnderWine("lineOpen"); }
std::vector<int> Simulator::units() const { NotUnderWine("units"); }
bool Simulator::addUnit(const UnitConfig&) { NotUnderWine("addUnit"); }
bool Simulator::removeUnit(int) { NotUnderWine("removeUnit"); }
bool Simulator::setLineSettings(int unit, const LineSettings& line)
{
    m->command("line " + std::to_string(unit) + " " + LineText(line));
    return true;
}
std::vector<int> Simulator::selectedUnits() const { NotUnderWine("selectedUnits"); }
void Simulator::selectUnit(int unit) { m->command("select " + std::to_string(unit)); }
bool Simulator::withUnit(int, const std::function<void(ControllerUnit&)>&) { NotUnderWine("withUnit"); }
std::optional<int32_t> Simulator::parameter(int, int) const { NotUnderWine("parameter"); }
bool Simulator::setParameter(int unit, int n, int32_t value)
{
    m->command("param " + std::to_string(n) + " " + std::to_string(value) + " " + std::to_string(unit));
    return true;
}
std::optional<int32_t> Simulator::setpoint(int, int) const { NotUnderWine("setpoint"); }
bool Simulator::setSetpoint(int unit, int n, int32_t value)
{
    m->command("setpoint " + std::to_string(n) + " " + std::to_string(value) + " " + std::to_string(unit));
    return true;
}
std::optional<int32_t> Simulator::errorNumber(int) const { NotUnderWine("errorNumber"); }
bool Simulator::setErrorNumber(int unit, int32_t value)
{
    m->command("error " + std::to_string(value) + " " + std::to_string(unit));
    return true;
}
bool Simulator::setSerialText(int unit, const std::string& text)
{
    m->command("serial " + std::to_string(unit) + " " + text);
    return true;
}
bool Simulator::setTypeText(int, const std::string&) { NotUnderWine("setTypeText"); }
bool Simulator::setComputeFailure(int unit, std::optional<int32_t> number)
{
    m->command("bp " + (number ? std::to_string(*number) : std::string("ok")) + " " + std::to_string(unit));
    return true;
}
void Simulator::setAnswerDelay(std::chrono::milliseconds delay) { m->command("delay " + std::to_string(delay.count())); }
std::chrono::milliseconds Simulator::answerDelay() const { NotUnderWine("answerDelay"); }
void Simulator::setPacing(bool on) { m->command(std::string("pacing ") + (on ? "on" : "off")); }
bool Simulator::pacing() const { NotUnderWine("pacing"); }
void Simulator::setFaultSettings(const FaultSettings&) { NotUnderWine("setFaultSettings"); }
FaultSettings Simulator::faultSettings() const { NotUnderWine("faultSettings"); }
void Simulator::setFault(int unit, Fault fault, bool on, const std::string& onlyLetters)
{
    m->command(std::string("fault ") + FaultName(fault) + (on ? " on " : " off ") + UnitText(unit)
               + (onlyLetters.empty() ? "" : " " + onlyLetters));
}
bool Simulator::faultOn(int, Fault) const { NotUnderWine("faultOn"); }
void Simulator::clearFaults(int unit) { m->command("clear " + UnitText(unit)); }
void Simulator::refuseParameter(int unit, int n, bool refuse)
{
    m->command(std::string(refuse ? "refuse " : "accept ") + std::to_string(n) + " " + UnitText(unit));
}
void Simulator::injectBytes(const std::string&) { NotUnderWine("injectBytes"); }
void Simulator::injectNoise(size_t count) { m->command("noise " + std::to_string(count)); }

std::vector<RequestRecord> Simulator::requestLog() const
{
    std::lock_guard<std::mutex> guard(m->mutex);
    const std::vector<std::string> lines = ReadLines(m->slot + ".log");
    std::vector<RequestRecord> records;
    for (size_t i = m->logStart; i < lines.size(); ++i)
        records.push_back(ParseLogLine(lines[i]));
    return records;
}

void Simulator::clearLog()
{
    std::lock_guard<std::mutex> guard(m->mutex);
    m->logStart = ReadLines(m->slot + ".log").size();
}

size_t Simulator::requestCount() const { return requestLog().size(); }

bool Simulator::waitForRequests(size_t count, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (requestCount() < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

void Simulator::setRequestObserver(std::function<void(const RequestRecord&)>) { NotUnderWine("setRequestObserver"); }

} // namespace km4x

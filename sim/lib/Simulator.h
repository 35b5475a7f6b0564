// km4x::Simulator — KM4x controllers on a pseudo-terminal (or a real serial device), answering
// the controller's ASCII line protocol from a thread of their own. Every method is thread-safe,
// so a test can change faults and values while a client talks to the simulator.
#pragma once

#include "ControllerUnit.h"
#include "Faults.h"
#include "LineSettings.h"
#include "RequestLog.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace km4x {

struct SimulatorOptions {
    std::vector<UnitConfig> units{UnitConfig{}}; // default: unit 0 at 38400,E,8,1
    std::string devicePath;  // a real serial device instead of a new pseudo-terminal
    std::string linkPath;    // pseudo-terminal only: a symbolic link to the slave under this name
    std::chrono::milliseconds answerDelay{0};
    bool pacing = false;     // send reply bytes at the wire speed of the unit's line settings
    FaultSettings faultSettings;
    size_t logCapacity = 100000;
    uint32_t seed = 4711;    // noise bytes are reproducible
};

class Simulator {
public:
    static constexpr int AllUnits = -1;

    // Opens the line and starts answering. Throws std::runtime_error when the line cannot be
    // opened or the unit list is unusable (no unit, a number outside 0..31 or twice).
    explicit Simulator(SimulatorOptions options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Ends the thread and closes the line (also done by the destructor).
    void stop();

    // The path a client opens: pseudo-terminal slave, its link, or the device.
    std::string devicePath() const;

    // The line vanishes as an unplugged USB adapter does: the client sees a hang-up. Called from the
    // request observer, the line goes as soon as that request is handled, before any reply of it,
    // without waiting for another thread: the client is still waiting for that reply.
    void closeLine();
    // Plugs the line in again: a new pseudo-terminal (devicePath() may change; the link is
    // renewed) or the device opened again. False with *error filled when that fails.
    bool reopenLine(std::string* error = nullptr);
    bool lineOpen() const;

    // Units on the line. Unit numbers are 0..31; each unit has its own line settings and answers
    // only a client whose settings match them.
    std::vector<int> units() const;
    bool addUnit(const UnitConfig& config);
    bool removeUnit(int unit);
    bool setLineSettings(int unit, const LineSettings& line);
    // Units that consider themselves selected. Each unit keeps its own flag, as on a real bus:
    // "sc n" sets it on unit n and clears it on every other unit that understood the line, so a
    // unit deaf to the line settings of that moment keeps its flag. At start: the first unit.
    std::vector<int> selectedUnits() const;
    // Selects exactly this unit (none for a number without a unit).
    void selectUnit(int unit);

    // Runs f on the unit's state under the simulator's lock (so f must not call the simulator);
    // false when there is no such unit.
    bool withUnit(int unit, const std::function<void(ControllerUnit&)>& f);
    // Shorthands for the values tests touch most; nullopt / false for an unknown unit or number.
    std::optional<int32_t> parameter(int unit, int n) const;
    bool setParameter(int unit, int n, int32_t value);
    std::optional<int32_t> setpoint(int unit, int n) const;
    bool setSetpoint(int unit, int n, int32_t value);
    std::optional<int32_t> errorNumber(int unit) const;
    bool setErrorNumber(int unit, int32_t value);
    // "rx" of the unit answers this from now on (a controller replaced by another).
    bool setSerialText(int unit, const std::string& text);
    // "rt" of the unit answers this from now on (a controller of another type in its place).
    bool setTypeText(int unit, const std::string& text);
    // "bp" then answers this number (nullopt: the real check again).
    bool setComputeFailure(int unit, std::optional<int32_t> number);

    // Timing.
    void setAnswerDelay(std::chrono::milliseconds delay);
    std::chrono::milliseconds answerDelay() const;
    void setPacing(bool on);
    bool pacing() const;
    void setFaultSettings(const FaultSettings& settings);
    FaultSettings faultSettings() const;

    // Faults; unit AllUnits switches the fault on every unit. onlyLetters limits the fault to
    // replies to one command ("rp").
    void setFault(int unit, Fault fault, bool on, const std::string& onlyLetters = {});
    bool faultOn(int unit, Fault fault) const;
    void clearFaults(int unit = AllUnits);
    // "wp n v" is answered "er 7" (and not stored).
    void refuseParameter(int unit, int n, bool refuse = true);
    // Puts bytes on the line at once (after any reply already on its way).
    void injectBytes(const std::string& bytes);
    void injectNoise(size_t count);

    // Request log.
    std::vector<RequestRecord> requestLog() const;
    void clearLog();
    size_t requestCount() const;
    bool waitForRequests(size_t count, std::chrono::milliseconds timeout) const;
    // Called on the simulator thread for every request once its reply is scheduled, before the
    // request enters the log (keep it short; it may call closeLine, not reopenLine/inject*).
    // Every request is in the log before the first byte of its reply goes out.
    void setRequestObserver(std::function<void(const RequestRecord&)> observer);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace km4x

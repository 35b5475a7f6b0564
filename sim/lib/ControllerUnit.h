// One simulated KM4x controller: its stored values and how it answers each command.
// Not thread-safe by itself; the simulator guards it.
#pragma once

#include "Command.h"
#include "LineSettings.h"
#include "LiveValues.h"
#include "ParameterCheck.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace km4x {

using Clock = std::chrono::steady_clock;

// Calibration codes of "kr"/"kw": voltage offset, voltage gain, current offset, current gain.
constexpr int FirstCalibrationCode = 2041;
constexpr int LastCalibrationCode = 2044;

struct CalibrationState {
    bool mode = false;                      // "km 1" / "km 0"
    int daSelect = 0;                       // "kf": 0 none, 1 voltage, 2 current
    int32_t reference = 0;                  // last "ka" value
    std::array<int32_t, 4> values{12, -3, 7, 5}; // working values of codes 2041..2044
    std::array<int32_t, 4> saved{12, -3, 7, 5};  // what "ks" stored in EEPROM
    int saveCount = 0;
};

struct UnitConfig {
    int number = 0; // 0..31
    LineSettings line;
    std::string typeText = "KM40 V2.31";       // "rt"
    std::string versionText = "SW 2.31 2021-03-15"; // "rh"
    std::string serialText;                   // "rx"; empty: "SN 0047" followed by the unit number
    bool knowsSerialText = true;              // older firmware answers "rx" with "er 1"
};

class ControllerUnit {
public:
    explicit ControllerUnit(UnitConfig config, Clock::time_point started = Clock::now());

    const UnitConfig& config() const { return m_config; }
    void setLine(const LineSettings& line) { m_config.line = line; }
    // Another controller in the same place: "rx" answers this from now on.
    void setSerialText(const std::string& text) { m_config.serialText = text; }
    // A controller of another type in the same place: "rt" answers this from now on.
    void setTypeText(const std::string& text) { m_config.typeText = text; }

    // The reply text (without CR LF) to a command addressed to this unit. "sc" is answered here
    // too; which unit is selected is decided by the line.
    std::string answer(const Command& command, Clock::time_point now);

    // Stored state, for tests and the console.
    ParameterTable parameters;
    std::array<int32_t, SetpointCount> setpoints{}; // index n-1 holds setpoint n
    uint32_t inputs = 0x41;   // K0 and input 6
    uint32_t outputs = 0x005; // outputs 1 and 3
    int32_t dataIn = 4660;
    int32_t dataOut = 22136;
    std::array<int32_t, 4> thumbwheels{1000, 2000, 3000, 4000};
    int32_t errorNumber = -1; // -1: no error
    CalibrationState calibration;
    std::optional<int32_t> computeFailure; // "bp" answers this number instead of checking
    std::optional<LiveValues> frozenLive;   // fixed live values instead of the moving ones
    int computeCount = 0;

    LiveValues liveValues(Clock::time_point now) const;
    void resetToFactory();

private:
    std::string answerRead(const Command& command, Clock::time_point now);
    std::string answerStore(const Command& command);
    std::string answerCalibration(const Command& command);

    UnitConfig m_config;
    Clock::time_point m_started;
};

// Error replies: unknown command, bad argument, refused (write refused or not allowed now).
inline constexpr const char* UnknownCommandReply = "er 1";
inline constexpr const char* BadArgumentReply = "er 2";
inline constexpr const char* RefusedReply = "er 7";

} // namespace km4x

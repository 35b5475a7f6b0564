#pragma once
// The work of the calibration window without its widgets: the two protocol components, the
// read-back of the calibration values 2041..2044, the command texts, the reply decoding and what
// the replies unlock (calibration mode, DA select, the voltage and current groups, EEPROM).
// The button states follow the controller's replies, never the clicks.
//
// Commands and read-back requests go out in the order asked, each after the ones before it are
// answered: the port's queue serves them so (ZBComm.h).

#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

constexpr int CalibrationVoltageOffset = 2041;
constexpr int CalibrationVoltageGain = 2042;
constexpr int CalibrationCurrentOffset = 2043;
constexpr int CalibrationCurrentGain = 2044;
// The range a gain box offers for entry; a read-back value beyond it is still shown as read.
constexpr int32_t CalibrationGainLimit = 1000;

// A reply split as the window reads it: Text is the reply without its closing two bytes (empty when
// the reply is shorter than 3 or longer than 100 bytes), Command its first two characters, and the
// rest from the fourth character on split at its first blank into Word1 and Word2. A rest without a
// blank is Word1 for a command reply and Word2 for a read-back reply.
struct TCalibrationReply {
    std::string Text, Command, Word1, Word2;
};
TCalibrationReply DecodeCalibrationReply(const std::vector<uint8_t>& Reply, bool ReadBack);

// What a reference Set button sends: the box value, halved (toward zero) for the current channel.
int32_t ReferenceValueToSend(bool Current, int32_t BoxValue);
bool IsCalibrationGain(int Code);

// The close warning for written but unsaved values, wrapped at 42 characters.
std::string UnsavedCalibrationWarning();
// The close question while the controller is in calibration mode or drives a reference output
// (Yes ends it, No leaves it, Cancel stays), after the unsaved-values sentence when that applies.
std::string HeldOutputQuestion(bool Unsaved);

class TCalibrationSession {
public:
    struct TView {
        bool CalibrationMode = false;
        bool DaSelectEnabled = false;
        bool VoltageGroupEnabled = false;
        bool CurrentGroupEnabled = false;
        bool EepromEnabled = false;
        std::string Status;
        bool StatusRed = false;
    };

    explicit TCalibrationSession(TZBComm& Port);

    // Window opened: calibration mode off, everything but "Aan"/"Uit" disabled, read-back started.
    void Activate();
    // Sends a command through KT750Kalibratie ("km 1", "kf 2", "ka -100000", "ks", ...); it goes
    // out once the requests before it are answered.
    void SendCommand(const std::string& Command);
    // A reference Set button.
    void SetReference(bool Current, int32_t BoxValue);
    // An offset or gain box changed to Value: remembered, and written ("kw") in calibration mode.
    void BoxChanged(int Code, int32_t Value);
    // Takes the controller out of calibration mode: "kf 0", then "km 0".
    void EndCalibration();

    const TView& View() const { return view_; }
    // Written values not (known to be) stored in EEPROM, a write still on its way included.
    bool Unsaved() const;
    // The controller said it entered calibration mode or switched a reference output on, and has
    // not said it left it (kept across openings of the window).
    bool OutputHeld() const { return modeOn_ || referenceOn_; }
    bool ReadBackComplete() const { return readBackStep_ > CalibrationCurrentGain; }
    // The read-back of this opening delivered the code's value.
    bool ValueRead(int Code) const;
    int32_t BoxValue(int Code) const;
    // What the controller's EEPROM holds as far as its replies told.
    int32_t SavedValue(int Code) const;
    // Commands and read-back requests waiting or under way.
    std::size_t PendingCount() const;

    // The view changed (status, enabled groups).
    std::function<void()> OnChanged;
    // The read-back filled a box (the window shows it without writing it back).
    std::function<void(int Code, int32_t Value)> OnValueRead;

    void KT750KalibratieCommResult(TMemoryStream& Result);
    void KT750LeesKalibratieWaardenCommResult(TMemoryStream& Result);
    void KT750KalibratieCommError(TCommError& CommError);
    void KT750LeesKalibratieWaardenCommError(TCommError& CommError);

    TKT750Protocol KT750Kalibratie;
    TKT750Protocol KT750LeesKalibratieWaarden;

private:
    void readBack(int Code);
    void showCommError(const TCommError& CommError);
    void commandReplied(const std::string& Sent, const TCalibrationReply& Reply);
    void commandFailed(const std::string& Sent, bool Refused);
    void changed();
    void showStatus(const std::string& Text, bool Red);
    void setGroups(bool Voltage, bool Current);
    static std::size_t slot(int Code);

    TZBComm& port_;
    TView view_;
    // "kw" commands sent and not answered yet.
    int writesOnTheWay_ = 0;
    bool unsaved_ = false;
    bool modeOn_ = false;
    bool referenceOn_ = false;
    int readBackStep_ = CalibrationVoltageOffset;
    std::array<bool, 4> read_{};
    std::array<int32_t, 4> boxes_{};
    // The controller's working values as its replies confirmed them, and its EEPROM's.
    std::array<int32_t, 4> acknowledged_{};
    std::array<int32_t, 4> saved_{};
    std::array<bool, 4> savedKnown_{};
    // The last value asked for per code since the read-back, whatever became of it.
    std::array<std::optional<int32_t>, 4> requested_{};
};

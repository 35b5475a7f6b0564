#pragma once
// The work of the calibration window without its widgets: the two protocol components, the
// read-back of the calibration values 2041..2044, the command texts, the reply decoding and what
// the replies unlock (calibration mode, DA select, the voltage and current groups, EEPROM).
// The button states follow the controller's replies, never the clicks.

#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int CalibrationVoltageOffset = 2041;
constexpr int CalibrationVoltageGain = 2042;
constexpr int CalibrationCurrentOffset = 2043;
constexpr int CalibrationCurrentGain = 2044;

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
// What an offset or gain box shows for a value: gains are limited to -1000..1000.
int32_t CalibrationBoxValue(int Code, int64_t Value);

// The close warning for written but unsaved values, wrapped at 42 characters.
std::string UnsavedCalibrationWarning();

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
    // Sends a command through KT750Kalibratie ("km 1", "kf 2", "ka -100000", "ks", ...).
    void SendCommand(const std::string& Command);
    // A reference Set button.
    void SetReference(bool Current, int32_t BoxValue);
    // An offset or gain box changed to Value: remembered, and written ("kw") in calibration mode.
    void BoxChanged(int Code, int32_t Value);

    const TView& View() const { return view_; }
    bool Unsaved() const { return unsaved_; }
    bool ReadBackComplete() const { return readBackStep_ > CalibrationCurrentGain; }
    int32_t BoxValue(int Code) const;
    int32_t SavedValue(int Code) const;

    // The view changed (status, enabled groups).
    std::function<void()> OnChanged;
    // The read-back filled a box (the window shows it without writing it back).
    std::function<void(int Code, int32_t Value)> OnValueRead;

    void KT750KalibratieCommResult(TMemoryStream& Result);
    void KT750LeesKalibratieWaardenCommResult(TMemoryStream& Result);
    void KT750KalibratieCommError(TCommError& CommError);

    TKT750Protocol KT750Kalibratie;
    TKT750Protocol KT750LeesKalibratieWaarden;

private:
    void changed();
    void showStatus(const std::string& Text, bool Red);
    void setGroups(bool Voltage, bool Current);
    static std::size_t slot(int Code);

    TView view_;
    bool unsaved_ = false;
    int readBackStep_ = CalibrationVoltageOffset;
    std::array<int32_t, 4> boxes_{};
    std::array<int32_t, 4> saved_{};
};

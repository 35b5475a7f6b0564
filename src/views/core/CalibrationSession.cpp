#include "views/core/CalibrationSession.h"

#include "app/core/WrapText.h"

#include <charconv>

namespace {

constexpr std::size_t MaxReplyLength = 100;
constexpr int32_t GainLimit = 1000;

bool parseInt32(const std::string& Text, int32_t& Value)
{
    const char* end = Text.data() + Text.size();
    auto [ptr, ec] = std::from_chars(Text.data(), end, Value, 10);
    return !Text.empty() && ec == std::errc() && ptr == end;
}

bool isValidCode(int Code)
{
    return Code >= CalibrationVoltageOffset && Code <= CalibrationCurrentGain;
}

} // namespace

TCalibrationReply DecodeCalibrationReply(const std::vector<uint8_t>& Reply, bool ReadBack)
{
    TCalibrationReply decoded;
    if (Reply.size() < 3 || Reply.size() > MaxReplyLength)
        return decoded;
    decoded.Text.assign(Reply.begin(), Reply.end() - 2);
    decoded.Command = decoded.Text.substr(0, 2);
    const std::string rest = decoded.Text.size() > 3 ? decoded.Text.substr(3) : std::string();
    const std::size_t blank = rest.find(' ');
    if (blank != std::string::npos) {
        decoded.Word1 = rest.substr(0, blank);
        decoded.Word2 = rest.substr(blank + 1);
    } else if (ReadBack) {
        decoded.Word2 = rest;
    } else {
        decoded.Word1 = rest;
    }
    return decoded;
}

int32_t ReferenceValueToSend(bool Current, int32_t BoxValue)
{
    return Current ? BoxValue / 2 : BoxValue;
}

int32_t CalibrationBoxValue(int Code, int64_t Value)
{
    const bool gain = Code == CalibrationVoltageGain || Code == CalibrationCurrentGain;
    const int64_t low = gain ? -GainLimit : INT32_MIN;
    const int64_t high = gain ? GainLimit : INT32_MAX;
    return static_cast<int32_t>(Value < low ? low : Value > high ? high : Value);
}

std::string UnsavedCalibrationWarning()
{
    return WrapMessage42("Er zijn calibratie waarden naar de KM4x...gezonden maar nog niet gesaved in EEPROM. "
                         "Wilt U toch afsluiten?");
}

TCalibrationSession::TCalibrationSession(TZBComm& Port)
{
    for (TKT750Protocol* component : {&KT750Kalibratie, &KT750LeesKalibratieWaarden}) {
        component->SetZBComm(&Port);
        component->SetProtocolFoot(TSequenceChar::scCR);
        component->SetTimeoutTime(0);
        component->OnCommError = [this](TObject*, TCommError& error, TMemoryStream&) { KT750KalibratieCommError(error); };
    }
    KT750Kalibratie.OnCommResult = [this](TObject*, TMemoryStream& result) { KT750KalibratieCommResult(result); };
    KT750LeesKalibratieWaarden.OnCommResult = [this](TObject*, TMemoryStream& result) {
        KT750LeesKalibratieWaardenCommResult(result);
    };
}

std::size_t TCalibrationSession::slot(int Code)
{
    return static_cast<std::size_t>(Code - CalibrationVoltageOffset);
}

int32_t TCalibrationSession::BoxValue(int Code) const
{
    return isValidCode(Code) ? boxes_[slot(Code)] : 0;
}

int32_t TCalibrationSession::SavedValue(int Code) const
{
    return isValidCode(Code) ? saved_[slot(Code)] : 0;
}

void TCalibrationSession::Activate()
{
    view_ = TView{};
    unsaved_ = false;
    readBackStep_ = CalibrationVoltageOffset;
    KT750LeesKalibratieWaarden.SetASCIIProtocol("kr " + std::to_string(CalibrationVoltageOffset));
    KT750LeesKalibratieWaarden.SendRequest();
    changed();
}

void TCalibrationSession::SendCommand(const std::string& Command)
{
    KT750Kalibratie.SetASCIIProtocol(Command);
    KT750Kalibratie.SendRequest();
}

void TCalibrationSession::SetReference(bool Current, int32_t BoxValue)
{
    SendCommand("ka " + std::to_string(ReferenceValueToSend(Current, BoxValue)));
}

void TCalibrationSession::BoxChanged(int Code, int32_t Value)
{
    if (!isValidCode(Code))
        return;
    boxes_[slot(Code)] = Value;
    if (view_.CalibrationMode)
        SendCommand("kw " + std::to_string(Code) + " " + std::to_string(Value));
}

void TCalibrationSession::KT750LeesKalibratieWaardenCommResult(TMemoryStream& Result)
{
    const TCalibrationReply reply = DecodeCalibrationReply(Result.Bytes(), true);
    showStatus(reply.Text, false);
    int32_t value = 0;
    // A value that is no decimal integer ends the read-back; the boxes filled so far stay.
    if (!isValidCode(readBackStep_) || !parseInt32(reply.Word2, value)) {
        changed();
        return;
    }
    const int code = readBackStep_;
    const int32_t shown = CalibrationBoxValue(code, value);
    boxes_[slot(code)] = shown;
    saved_[slot(code)] = shown;
    if (OnValueRead)
        OnValueRead(code, shown);
    ++readBackStep_;
    if (isValidCode(readBackStep_)) {
        KT750LeesKalibratieWaarden.SetASCIIProtocol("kr " + std::to_string(readBackStep_));
        KT750LeesKalibratieWaarden.SendRequest();
    }
    changed();
}

void TCalibrationSession::KT750KalibratieCommResult(TMemoryStream& Result)
{
    const TCalibrationReply reply = DecodeCalibrationReply(Result.Bytes(), false);
    showStatus(reply.Text, false);
    if (reply.Command == "ks") {
        saved_ = boxes_;
        unsaved_ = false;
        view_.EepromEnabled = false;
    } else if (reply.Command == "kw") {
        int32_t code = 0;
        if (parseInt32(reply.Word1, code) && isValidCode(code) && boxes_[slot(code)] != saved_[slot(code)])
            unsaved_ = true;
        if (unsaved_)
            view_.EepromEnabled = true;
    } else if (reply.Command == "kf") {
        // The selected output driver: 0 none, 1 voltage, 2 current.
        if (reply.Word1 == "0" || reply.Word1 == "1" || reply.Word1 == "2")
            setGroups(reply.Word1 == "1", reply.Word1 == "2");
    } else if (reply.Command == "ki") {
        setGroups(false, true);
    } else if (reply.Command == "km") {
        if (reply.Word1 == "1") {
            view_.DaSelectEnabled = true;
            view_.CalibrationMode = true;
        } else if (reply.Word1 == "0") {
            setGroups(false, false);
            view_.DaSelectEnabled = false;
            view_.CalibrationMode = false;
        }
    }
    changed();
}

void TCalibrationSession::KT750KalibratieCommError(TCommError& CommError)
{
    if (CommError.Code == ecTimeout)
        showStatus("Timeout!", true);
    else if (CommError.SystemError != 0 || CommError.CommErrors != 0)
        showStatus("Communicatie error", true);
    else
        return;
    changed();
}

void TCalibrationSession::setGroups(bool Voltage, bool Current)
{
    view_.VoltageGroupEnabled = Voltage;
    view_.CurrentGroupEnabled = Current;
}

void TCalibrationSession::showStatus(const std::string& Text, bool Red)
{
    view_.Status = Text;
    view_.StatusRed = Red;
}

void TCalibrationSession::changed()
{
    if (OnChanged)
        OnChanged();
}

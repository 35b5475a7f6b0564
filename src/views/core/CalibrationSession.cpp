#include "views/core/CalibrationSession.h"

#include "comm/ReplyRule.h"

#include "app/core/WrapText.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::size_t MaxReplyLength = 100;
const std::string CommunicationErrorText = "Communicatie error";

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

bool startsWith(const std::string& Text, const std::string& Prefix)
{
    return Text.compare(0, Prefix.size(), Prefix) == 0;
}

// A controller refuses with "er" and a number: the command was not carried out.
bool isRefusal(const TCalibrationReply& Reply)
{
    return Reply.Command == "er";
}

// Every calibration reply carries numbers only after its letters; anything else is a garbled line.
bool carriesNumbersOnly(const TCalibrationReply& Reply)
{
    int32_t value = 0;
    return (Reply.Word1.empty() || parseInt32(Reply.Word1, value)) && (Reply.Word2.empty() || parseInt32(Reply.Word2, value));
}

} // namespace

TCalibrationReply DecodeCalibrationReply(const std::vector<uint8_t>& Reply, bool ReadBack)
{
    TCalibrationReply decoded;
    // A reply cut short or carrying a second line is no answer (comm/ReplyRule.h).
    if (Reply.size() < 3 || Reply.size() > MaxReplyLength ||
        !IsOneReplyLine(std::string_view(reinterpret_cast<const char*>(Reply.data()), Reply.size())))
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

bool IsCalibrationGain(int Code)
{
    return Code == CalibrationVoltageGain || Code == CalibrationCurrentGain;
}

std::string UnsavedCalibrationWarning()
{
    return WrapMessage42("Er zijn calibratie waarden naar de KM4x...gezonden maar nog niet gesaved in EEPROM. "
                         "Wilt U toch afsluiten?");
}

std::string HeldOutputQuestion(bool Unsaved)
{
    const std::string unsaved =
        Unsaved ? "Er zijn calibratie waarden naar de KM4x...gezonden maar nog niet gesaved in EEPROM. " : "";
    return WrapMessage42(unsaved +
                         "De KM4x staat nog in calibratie mode en de analoge uitgang kan nog een referentiewaarde "
                         "geven. Ja: calibratie mode beeindigen (kf 0, km 0) en afsluiten. Nee: zo laten en "
                         "afsluiten. Annuleren: niet afsluiten.");
}

TCalibrationSession::TCalibrationSession(TZBComm& Port) : port_(Port)
{
    for (TKT750Protocol* component : {&KT750Kalibratie, &KT750LeesKalibratieWaarden}) {
        component->SetZBComm(&Port);
        component->SetProtocolFoot(TSequenceChar::scCR);
        component->SetTimeoutTime(0);
        // A closing port drops every request without an event: nothing is outstanding any more.
        component->OnDeactivate = [this](TObject*) {
            if (!port_.Active())
                writesOnTheWay_ = 0;
        };
    }
    KT750Kalibratie.OnCommError = [this](TObject*, TCommError& error, TMemoryStream&) { KT750KalibratieCommError(error); };
    KT750LeesKalibratieWaarden.OnCommError = [this](TObject*, TCommError& error, TMemoryStream&) {
        KT750LeesKalibratieWaardenCommError(error);
    };
    KT750Kalibratie.OnCommResult = [this](TObject*, TMemoryStream& result) { KT750KalibratieCommResult(result); };
    KT750LeesKalibratieWaarden.OnCommResult = [this](TObject*, TMemoryStream& result) {
        KT750LeesKalibratieWaardenCommResult(result);
    };
}

std::size_t TCalibrationSession::slot(int Code)
{
    return static_cast<std::size_t>(Code - CalibrationVoltageOffset);
}

bool TCalibrationSession::ValueRead(int Code) const
{
    return isValidCode(Code) && read_[slot(Code)];
}

int32_t TCalibrationSession::BoxValue(int Code) const
{
    return isValidCode(Code) ? boxes_[slot(Code)] : 0;
}

int32_t TCalibrationSession::SavedValue(int Code) const
{
    return isValidCode(Code) ? saved_[slot(Code)] : 0;
}

bool TCalibrationSession::Unsaved() const
{
    return unsaved_ || writesOnTheWay_ > 0;
}

std::size_t TCalibrationSession::PendingCount() const
{
    return port_.QueuedRequestsOf(&KT750Kalibratie) + port_.QueuedRequestsOf(&KT750LeesKalibratieWaarden);
}

void TCalibrationSession::Activate()
{
    // A read-back of an earlier opening must not answer for this one.
    KT750LeesKalibratieWaarden.CancelRequest();
    view_ = TView{};
    unsaved_ = false;
    read_ = {};
    requested_ = {};
    readBackStep_ = CalibrationVoltageOffset;
    readBack(CalibrationVoltageOffset);
    changed();
}

void TCalibrationSession::readBack(int Code)
{
    KT750LeesKalibratieWaarden.SetASCIIProtocol("kr " + std::to_string(Code));
    KT750LeesKalibratieWaarden.SendRequest();
}

void TCalibrationSession::SendCommand(const std::string& Command)
{
    // Nothing is sent on a closed port, and nothing would ever answer.
    if (!port_.Active())
        return;
    if (startsWith(Command, "kw "))
        ++writesOnTheWay_;
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
    if (!view_.CalibrationMode)
        return;
    requested_[slot(Code)] = Value;
    SendCommand("kw " + std::to_string(Code) + " " + std::to_string(Value));
}

void TCalibrationSession::EndCalibration()
{
    SendCommand("kf 0");
    SendCommand("km 0");
}

void TCalibrationSession::KT750LeesKalibratieWaardenCommResult(TMemoryStream& Result)
{
    const TCalibrationReply reply = DecodeCalibrationReply(Result.Bytes(), true);
    const int code = readBackStep_;
    int32_t value = 0;
    // The reply must repeat "kr" and, where it names one, the code asked for; a refusal or a value
    // that is no decimal integer ends the read-back, and the boxes not read stay out of use.
    const bool answered = isValidCode(code) && reply.Command == "kr" &&
                          (reply.Word1.empty() || reply.Word1 == std::to_string(code)) && parseInt32(reply.Word2, value);
    if (!answered) {
        // The step stays where it is: the read-back is not complete.
        showStatus(CommunicationErrorText, true);
    } else {
        showStatus(reply.Text, false);
        boxes_[slot(code)] = acknowledged_[slot(code)] = value;
        // What EEPROM holds is known from the first read-back on, or from a confirmed save; a
        // working value that differs from it (written, never saved) still needs saving.
        if (!savedKnown_[slot(code)]) {
            saved_[slot(code)] = value;
            savedKnown_[slot(code)] = true;
        } else if (value != saved_[slot(code)]) {
            unsaved_ = view_.EepromEnabled = true;
        }
        read_[slot(code)] = true;
        if (OnValueRead)
            OnValueRead(code, value);
        ++readBackStep_;
        if (isValidCode(readBackStep_)) {
            readBack(readBackStep_);
        } else {
            for (int gain : {CalibrationVoltageGain, CalibrationCurrentGain}) {
                const int32_t v = saved_[slot(gain)];
                if (v < -CalibrationGainLimit || v > CalibrationGainLimit)
                    showStatus("Gain " + std::to_string(gain) + " = " + std::to_string(v) +
                                   " ligt buiten het bereik -1000..1000",
                               false);
            }
        }
    }
    changed();
}

void TCalibrationSession::KT750KalibratieCommResult(TMemoryStream& Result)
{
    const std::string sent = KT750Kalibratie.AnsweredText();
    if (startsWith(sent, "kw ") && writesOnTheWay_ > 0)
        --writesOnTheWay_;
    commandReplied(sent, DecodeCalibrationReply(Result.Bytes(), false));
    changed();
}

void TCalibrationSession::commandReplied(const std::string& Sent, const TCalibrationReply& Reply)
{
    // Only a reply that repeats the command's letters tells what the controller did.
    if (Sent.size() < 2 || Reply.Command != Sent.substr(0, 2)) {
        showStatus(Reply.Text.empty() ? CommunicationErrorText : Reply.Text, true);
        commandFailed(Sent, isRefusal(Reply));
        return;
    }
    // Garbled after the letters: unreadable, and no word of what happened.
    if (!carriesNumbersOnly(Reply)) {
        showStatus(CommunicationErrorText, true);
        commandFailed(Sent, false);
        return;
    }
    showStatus(Reply.Text, false);
    if (Reply.Command == "ks") {
        // EEPROM now holds what the controller confirmed; a value asked for but never confirmed is
        // still not saved.
        saved_ = acknowledged_;
        savedKnown_.fill(true);
        unsaved_ = false;
        for (std::size_t i = 0; i < saved_.size(); ++i)
            if (requested_[i] && *requested_[i] != saved_[i])
                unsaved_ = true;
        view_.EepromEnabled = unsaved_;
    } else if (Reply.Command == "kw") {
        int32_t code = 0;
        int32_t value = 0;
        const bool sameCode = parseInt32(Reply.Word1, code) && isValidCode(code) &&
                              Sent.compare(3, Reply.Word1.size() + 1, Reply.Word1 + " ") == 0;
        if (!sameCode) {
            showStatus(Reply.Text, true);
            commandFailed(Sent, false);
            return;
        }
        // A reply without the value confirms the value sent.
        if (!parseInt32(Reply.Word2, value))
            parseInt32(Sent.substr(3 + Reply.Word1.size() + 1), value);
        acknowledged_[slot(code)] = value;
        if (value != saved_[slot(code)])
            unsaved_ = true;
        if (unsaved_)
            view_.EepromEnabled = true;
    } else if (Reply.Command == "kf") {
        // The selected output driver: 0 none, 1 voltage, 2 current.
        if (Reply.Word1 == "0" || Reply.Word1 == "1" || Reply.Word1 == "2") {
            setGroups(Reply.Word1 == "1", Reply.Word1 == "2");
            referenceOn_ = Reply.Word1 != "0";
        }
    } else if (Reply.Command == "ki") {
        setGroups(false, true);
    } else if (Reply.Command == "km") {
        if (Reply.Word1 == "1") {
            view_.DaSelectEnabled = true;
            view_.CalibrationMode = true;
            modeOn_ = true;
        } else if (Reply.Word1 == "0") {
            setGroups(false, false);
            view_.DaSelectEnabled = false;
            view_.CalibrationMode = false;
            modeOn_ = referenceOn_ = false;
        }
    }
}

void TCalibrationSession::commandFailed(const std::string& Sent, bool Refused)
{
    // A value that did not land (refused) or may have landed (no word) is not in EEPROM either way.
    if (startsWith(Sent, "kw "))
        unsaved_ = view_.EepromEnabled = true;
    // Without word from the controller a switch may have happened.
    if (Refused)
        return;
    if (Sent == "km 1")
        modeOn_ = true;
    else if (Sent == "kf 1" || Sent == "kf 2")
        referenceOn_ = true;
}

void TCalibrationSession::KT750KalibratieCommError(TCommError& CommError)
{
    if (CommError.IsZero())
        return;
    const std::string sent = KT750Kalibratie.AnsweredText();
    if (startsWith(sent, "kw ") && writesOnTheWay_ > 0)
        --writesOnTheWay_;
    showCommError(CommError);
    // A failed command is not repeated.
    commandFailed(sent, false);
    changed();
}

void TCalibrationSession::KT750LeesKalibratieWaardenCommError(TCommError& CommError)
{
    if (CommError.IsZero())
        return;
    // A read-back that fails stops there.
    showCommError(CommError);
    changed();
}

void TCalibrationSession::showCommError(const TCommError& CommError)
{
    if (CommError.Code == ecTimeout)
        showStatus("Timeout!", true);
    else if (CommError.SystemError != 0 || CommError.CommErrors != 0)
        showStatus(CommunicationErrorText, true);
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

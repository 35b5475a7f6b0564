#include "comm/DeviceSearch.h"

#include "comm/ReplyRule.h"

#include "comm/PortNames.h"
#include "comm/ZBPlatform.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace {

// Replies longer than this are no answer of a unit.
constexpr std::size_t MaxReplyLength = 100;

constexpr const char* IdentificationCommands[] = {"rt", "rh", "rx"};

bool echoes(const std::vector<uint8_t>& Reply, const char* Command)
{
    return Reply.size() <= MaxReplyLength && CheckReply(Command, Reply).Answers();
}

constexpr int SearchBaudrates = 5; // 9600 .. 57600, each once

TBaudrate nextSearchBaudrate(TBaudrate Baudrate)
{
    return Baudrate == TBaudrate::br57600 || Ordinal(Baudrate) < Ordinal(TBaudrate::br9600)
               ? TBaudrate::br9600
               : static_cast<TBaudrate>(Ordinal(Baudrate) + 1);
}

} // namespace

std::string IdentificationReplyText(const std::vector<uint8_t>& Reply)
{
    if (Reply.size() < 6)
        return std::string();
    // Control bytes mean a garbled line, not a text a unit gave: listed as no text, never shown.
    // Bytes from 0x80 on are the controller's Windows-1252 text ("SN 4711 \x80" is a euro sign).
    const auto garbled = std::any_of(Reply.begin() + 3, Reply.end() - 2,
                                     [](uint8_t byte) { return byte < 0x20 || byte == 0x7F; });
    return garbled ? std::string() : std::string(Reply.begin() + 3, Reply.end() - 2);
}

TDeviceSearch::TDeviceSearch(TZBComm& Port) : port_(Port)
{
    for (TKT750Protocol* component : {&KT750ApparaatZoeken, &ASCIILeesTypeInfo}) {
        component->SetZBComm(&Port);
        component->SetProtocolFoot(TSequenceChar::scCR);
        component->SetTimeoutTime(0);
    }
    KT750ApparaatZoeken.OnCommError = [this](TObject*, TCommError& error, TMemoryStream&) {
        KT750ApparaatZoekenCommError(error);
    };
    ASCIILeesTypeInfo.OnCommError = [this](TObject*, TCommError& error, TMemoryStream&) {
        ASCIILeesTypeInfoCommError(error);
    };
    KT750ApparaatZoeken.OnCommResult = [this](TObject*, TMemoryStream& result) {
        KT750ApparaatZoekenCommResult(result);
    };
    ASCIILeesTypeInfo.OnCommResult = [this](TObject*, TMemoryStream& result) { ASCIILeesTypeInfoCommResult(result); };
}

void TDeviceSearch::SaveSettings()
{
    savedBaudrate_ = port_.Baudrate();
    savedParity_ = port_.FrameParitybit();
    savedStopbits_ = port_.FrameStopbits();
}

void TDeviceSearch::RestoreSettings()
{
    state_ = TState::Idle;
    // The settings go back even when closing fails (the port counts as closed then), so the
    // search's last settings never end up in application.ini; the failure is passed on after.
    std::exception_ptr closeFailure;
    try {
        port_.Close();
    } catch (...) {
        closeFailure = std::current_exception();
    }
    port_.SetBaudrate(savedBaudrate_);
    port_.SetFrameParitybit(savedParity_);
    port_.SetFrameStopbits(savedStopbits_);
    if (closeFailure)
        std::rethrow_exception(closeFailure);
}

void TDeviceSearch::SetOptions(const TOptions& Options)
{
    options_ = Options;
    if (Ordinal(options_.StartBaudrate) < Ordinal(TBaudrate::br9600) ||
        Ordinal(options_.StartBaudrate) > Ordinal(TBaudrate::br57600))
        options_.StartBaudrate = TBaudrate::br9600;
    if (options_.HighestUnit < 0 || options_.HighestUnit > 31)
        options_.HighestUnit = 31;
    KT750ApparaatZoeken.SetTimeoutTime(options_.ProbeTimeoutMs);
    ASCIILeesTypeInfo.SetTimeoutTime(options_.ProbeTimeoutMs);
}

void TDeviceSearch::Start()
{
    found_.clear();
    probes_ = 0;
    starting_ = true;
    try {
        INC_ApparaatZoeken();
    } catch (...) {
        starting_ = false;
        state_ = TState::Idle;
        throw;
    }
}

void TDeviceSearch::Continue()
{
    if (state_ != TState::Found && state_ != TState::Stopped)
        return;
    stopRequested_ = false;
    nextStep();
}

void TDeviceSearch::INC_ApparaatZoeken()
{
    state_ = TState::Searching;
    if (starting_) {
        starting_ = false;
        stopRequested_ = false;
        unit_ = 0;
        startBaudrate_ = options_.StartBaudrate;
        port_.SetBaudrate(startBaudrate_);
        port_.SetFrameParitybit(options_.AutoParity ? TParityBit::None : savedParity_);
        port_.SetFrameStopbits(options_.AutoStopbits ? TStopBit::sb_1 : savedStopbits_);
        if (!port_.Active())
            port_.Open();
    } else if (!advance()) {
        state_ = TState::Finished;
        if (OnFinished)
            OnFinished();
        return;
    }
    if (OnProbe)
        OnProbe();
    ++probes_;
    KT750ApparaatZoeken.SetASCIIProtocol("sc " + std::to_string(unit_));
    KT750ApparaatZoeken.SendRequest();
}

int TDeviceSearch::ProbesToTry() const
{
    const int units = options_.HighestUnit + 1;
    if (port_.LineSettingsFixedAtServer())
        return units;
    return SearchBaudrates * units * (options_.AutoParity ? 3 : 1) * (options_.AutoStopbits ? 2 : 1);
}

bool TDeviceSearch::advance()
{
    // A line whose server keeps its own settings is searched once, at those: varying what it
    // cannot set would list units at rates the line never ran at.
    if (port_.LineSettingsFixedAtServer()) {
        if (unit_ >= options_.HighestUnit)
            return false;
        ++unit_;
        return true;
    }
    const TParityBit parity = port_.FrameParitybit();
    if (options_.AutoParity && parity != TParityBit::Even) {
        port_.SetFrameParitybit(parity == TParityBit::None ? TParityBit::Odd : TParityBit::Even);
        return true;
    }
    if (options_.AutoStopbits && port_.FrameStopbits() != TStopBit::sb_2) {
        port_.SetFrameStopbits(TStopBit::sb_2);
        if (options_.AutoParity)
            port_.SetFrameParitybit(TParityBit::None);
        return true;
    }
    if (unit_ < options_.HighestUnit) {
        ++unit_;
    } else {
        const TBaudrate next = nextSearchBaudrate(port_.Baudrate());
        if (next == startBaudrate_)
            return false;
        port_.SetBaudrate(next);
        unit_ = 0;
    }
    if (options_.AutoParity)
        port_.SetFrameParitybit(TParityBit::None);
    if (options_.AutoStopbits)
        port_.SetFrameStopbits(TStopBit::sb_1);
    return true;
}

void TDeviceSearch::nextStep()
{
    try {
        INC_ApparaatZoeken();
    } catch (const std::exception& e) {
        lineLost(e.what());
    }
}

void TDeviceSearch::KT750ApparaatZoekenCommResult(TMemoryStream& Result)
{
    if (state_ != TState::Searching)
        return;
    const std::string expected = "sc " + std::to_string(unit_);
    const std::vector<uint8_t>& reply = Result.Bytes();
    // Only this unit's own "sc n", whole: not another unit's, not the request echoed back.
    const TReplyCheck check = CheckReply(expected, reply);
    const bool match = reply.size() <= MaxReplyLength && check.Answers() && check.Value.empty();
    if (match) {
        identification_.clear();
        identificationStep_ = 0;
        identificationAskedAgain_ = false;
        sendIdentification(IdentificationCommands[0]);
    } else if (stopRequested_) {
        stopped();
    } else {
        nextStep();
    }
}

void TDeviceSearch::sendIdentification(const char* Command)
{
    ASCIILeesTypeInfo.SetASCIIProtocol(Command);
    ASCIILeesTypeInfo.SendRequest();
}

void TDeviceSearch::ASCIILeesTypeInfoCommResult(TMemoryStream& Result)
{
    if (state_ != TState::Searching)
        return;
    // A refused or garbled reply (older firmware answers "er 1" to "rx") leaves its text empty: the
    // unit answered its select, so it is listed all the same. A garbled one is asked for once
    // more first, as every wrong reply is.
    const std::vector<uint8_t>& reply = Result.Bytes();
    const char* command = IdentificationCommands[identificationStep_];
    if (!echoes(reply, command) && !CheckReply("er", reply).Answers() && !identificationAskedAgain_) {
        identificationAskedAgain_ = true;
        sendIdentification(command);
        return;
    }
    identified(echoes(reply, command) ? IdentificationReplyText(reply) : std::string());
}

void TDeviceSearch::ASCIILeesTypeInfoCommError(TCommError& CommError)
{
    if (state_ != TState::Searching)
        return;
    if (lostLine(CommError))
        return;
    identified(std::string()); // no reply to this one: its text stays empty
}

void TDeviceSearch::identified(const std::string& Text)
{
    identificationAskedAgain_ = false;
    identification_ += identificationStep_ == 0 ? Text : "   " + Text;
    // A stop requested meanwhile waits for the end of the identification: the unit is listed, and
    // the pause on a find is where the search stops.
    if (identificationStep_ < 2) {
        sendIdentification(IdentificationCommands[++identificationStep_]);
        return;
    }
    TFoundDevice device;
    device.Unit = unit_;
    device.Identification = identification_;
    device.Baudrate = port_.Baudrate();
    device.Parity = port_.FrameParitybit();
    device.Stopbits = port_.FrameStopbits();
    if (port_.LineSettingsFixedAtServer()) {
        // The search's own settings never reached the line: the unit answered at those the line is
        // configured with, as far as anyone here knows.
        device.Baudrate = savedBaudrate_;
        device.Parity = savedParity_;
        device.Stopbits = savedStopbits_;
    }
    found_.push_back(device);
    state_ = TState::Found;
    if (OnFound)
        OnFound(device);
}

bool TDeviceSearch::lostLine(const TCommError& CommError)
{
    if (CommError.Code != ecSystemError || !IsDeviceGoneError(CommError.SystemError))
        return false;
    lineLost(SystemErrorDescription(CommError.SystemError));
    return true;
}

void TDeviceSearch::KT750ApparaatZoekenCommError(TCommError& CommError)
{
    if (state_ != TState::Searching)
        return;
    if (lostLine(CommError))
        return;
    if (stopRequested_)
        stopped();
    else
        nextStep();
}

void TDeviceSearch::stopped()
{
    state_ = TState::Stopped;
    if (OnStopped)
        OnStopped();
}

void TDeviceSearch::lineLost(const std::string& Reason)
{
    state_ = TState::LineLost;
    const std::string device = port_.DevicePath();
    // A failing line stays closed until the user starts again; closing from inside the port's own
    // callback is allowed (its thread ends once the callback returns).
    try {
        port_.Close();
    } catch (const std::exception&) {
    }
    const std::string message = PortDisplayName(port_.PortName()) + " (" + device + "): " + Reason +
                                "\nThe search has ended. Check that the adapter is plugged in, then start again.";
    if (OnLineLost)
        OnLineLost(message);
}

#include "params/core/LineSequence.h"

#include "comm/ReplyRule.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/core/TextFileIO.h"
#include "comm/DeviceSearch.h"
#include "comm/ZBPlatform.h"
#include "params/core/BackupFile.h"
#include "params/core/SaveFile.h"
#include "params/core/Sha256.h"
#include "params/core/TransferComponent.h"
#include "params/core/TransferReplies.h"

namespace {

// Status of a unit the run did not come to (also what a manifest written mid-run says of it).
constexpr char NotReachedStatus[] = "not reached";

// Restore: what a unit that was not come to holds.
constexpr char NotWritten[] = "; not written";

// "KM40" of "KM40 V2.31": the controller's type without its version.
std::string ControllerType(const std::string& TypeText)
{
    const std::size_t start = TypeText.find_first_not_of(' ');
    if (start == std::string::npos)
        return {};
    return TypeText.substr(start, TypeText.find(' ', start) - start);
}

std::string ItemName(bool Parameters, int Number)
{
    char item[16];
    std::snprintf(item, sizeof item, "%c%03d", Parameters ? 'P' : 'S', Number);
    return item;
}

bool Ended(TTransferOutcome Outcome)
{
    return Outcome != TTransferOutcome::Idle && Outcome != TTransferOutcome::Running;
}

bool DeviceGone(const TCommError& Error)
{
    return Error.Code == ecPortClosed || (Error.Code == ecSystemError && IsDeviceGoneError(Error.SystemError));
}

std::span<const int32_t, SetpointCount> SetpointsOf(const TSetpointValues& Table)
{
    return std::span<const int32_t, SetpointCount>(Table.data() + 1, SetpointCount);
}

} // namespace

std::vector<TLineTarget> LineTargetsOfFound(const std::vector<TFoundDevice>& Found, TDataBit Databits)
{
    std::vector<TLineTarget> targets;
    for (const TFoundDevice& device : Found) {
        if (std::any_of(targets.begin(), targets.end(), [&](const TLineTarget& t) { return t.Unit == device.Unit; }))
            continue;
        TLineTarget target;
        target.Unit = device.Unit;
        target.Line = TUnitLine{device.Baudrate, Databits, device.Parity, device.Stopbits};
        targets.push_back(target);
    }
    std::sort(targets.begin(), targets.end(), [](const TLineTarget& a, const TLineTarget& b) { return a.Unit < b.Unit; });
    return targets;
}

TLineSequence::TLineSequence(TZBComm& Port) : port_(Port), read_(&Port), write_(&Port)
{
    ConfigureTransferComponent(KT750LijnSelect, 0);
    KT750LijnSelect.SetZBComm(&Port);
    KT750LijnSelect.OnCommResult = [this](TObject*, TMemoryStream& Result) { SelectReply(Result.Bytes()); };
    KT750LijnSelect.OnCommError = [this](TObject*, TCommError& Error, TMemoryStream&) { SelectError(Error); };
    // Closing the port ends the request without a reply or error of its own.
    KT750LijnSelect.OnDeactivate = [this](TObject*) {
        TCommError gone;
        gone.Code = ecPortClosed;
        SelectError(gone);
    };
    for (TTransferSequence* sequence : {static_cast<TTransferSequence*>(&read_), static_cast<TTransferSequence*>(&write_)}) {
        sequence->OnChanged = [this, sequence] { TransferChanged(*sequence); };
        sequence->OnClose = [this, sequence](TTransferResult) { TransferClosed(*sequence); };
    }
}

void TLineSequence::Start(TLineJob Job, std::string Dir, std::vector<TLineTarget> Targets)
{
    job_ = Job;
    dir_ = std::move(Dir);
    targets_ = std::move(Targets);
    results_.assign(targets_.size(), TLineUnitResult{});
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        results_[i].Row.Unit = targets_[i].Unit;
        results_[i].Row.Status = NotReachedStatus;
    }
    current_ = 0;
    step_ = TStep::Idle;
    running_ = true;
    cancelRequested_ = false;
    lineLost_ = false;
    manifestError_.clear();
    if (targets_.empty()) {
        Finish();
        return;
    }
    // At once, so that even a run ended before its first unit leaves a manifest that says so.
    WriteManifest();
    StartUnit();
}

void TLineSequence::Cancel()
{
    if (!running_ || cancelRequested_)
        return;
    cancelRequested_ = true;
    Changed();
    if (step_ == TStep::Transfer) {
        // The single run closes once its outstanding request has ended (TransferClosed).
        (job_ == TLineJob::Restore ? static_cast<TTransferSequence&>(write_) : read_).Cancel();
    } else if (!port_.Active()) {
        // No reply or error will come on a closed port.
        UnitFailed("interrupted at " + Where());
        NextUnit();
    }
}

int TLineSequence::ValuesDone() const
{
    if (current_ < 0)
        return 0;
    if (step_ != TStep::Transfer)
        return results_[static_cast<std::size_t>(current_)].State == TLineUnitState::Done ? ValuesPerUnit : 0;
    const TTransferView& view = job_ == TLineJob::Restore ? write_.View() : read_.View();
    if (view.Computing || view.Outcome == TTransferOutcome::Finished)
        return ValuesPerUnit;
    return view.Parameters ? view.CurrentNumber : ParameterCount + view.CurrentNumber - 1;
}

std::string TLineSequence::ManifestPath() const
{
    return (std::filesystem::path(dir_) / LineManifestName).string();
}

bool TLineSequence::AllOk() const
{
    if (lineLost_ || cancelRequested_ || !manifestError_.empty())
        return false;
    for (const TLineUnitResult& result : results_)
        if (job_ == TLineJob::Verify ? !result.Matches() : result.State != TLineUnitState::Done)
            return false;
    return true;
}

void TLineSequence::StartUnit()
{
    TLineUnitResult& result = Result();
    result.State = TLineUnitState::Running;
    result.Row.Status.clear();
    computing_ = false;
    try {
        const auto& line = Target().Line;
        // The settings may change on the open port between requests; only a change is applied, so a
        // line whose units share its settings is not set up again for every unit.
        if (line && *line != TUnitLine{port_.Baudrate(), port_.FrameDatabits(), port_.FrameParitybit(), port_.FrameStopbits()}) {
            port_.SetBaudrate(line->Baudrate);
            port_.SetFrameDatabits(line->Databits);
            port_.SetFrameParitybit(line->Parity);
            port_.SetFrameStopbits(line->Stopbits);
        }
    } catch (const std::exception& e) {
        lineLost_ = true;
        UnitFailed(std::string("line lost (") + e.what() + ")");
        NextUnit();
        return;
    }
    // What the port asked for is recorded only where the line was set to it.
    result.Row.LineSetByServer = port_.LineSettingsFixedAtServer();
    if (!result.Row.LineSetByServer)
        result.Row.Line = TUnitLine{port_.Baudrate(), port_.FrameDatabits(), port_.FrameParitybit(), port_.FrameStopbits()};
    SendStep(TStep::Select, "sc " + std::to_string(Target().Unit));
}

void TLineSequence::SendStep(TStep Step, const std::string& Text, bool Again)
{
    step_ = Step;
    stepAskedAgain_ = Again;
    if (!port_.Active()) {
        // The port drops a request made while it is closed without any event.
        lineLost_ = true;
        UnitFailed("line lost at " + Where());
        NextUnit();
        return;
    }
    KT750LijnSelect.SetASCIIProtocol(Text);
    KT750LijnSelect.SendRequest();
    Changed();
}

bool TLineSequence::AskAgain()
{
    if (stepAskedAgain_)
        return false;
    const std::string request = KT750LijnSelect.ASCIIProtocol();
    SendStep(step_, request, true);
    return true;
}

void TLineSequence::SelectReply(const std::vector<uint8_t>& Reply)
{
    if (!running_ || step_ == TStep::Idle || step_ == TStep::Transfer)
        return;
    if (cancelRequested_) {
        UnitFailed("interrupted at " + Where());
        NextUnit();
        return;
    }
    TLineRow& row = Result().Row;
    // The identification texts are taken as the device search takes them; a refused one ("er 1")
    // is empty. A cut, doubled or garbled reply is no refusal:
    // saved as an empty serial it would later excuse the serial check of a restore.
    auto text = [&](const char* Letters) -> std::optional<std::string> {
        const TReplyCheck check = CheckReply(Letters, Reply);
        if (!check.Answers() && !CheckReply("er", Reply).Answers())
            return std::nullopt;
        std::string identification = check.Answers() ? IdentificationReplyText(Reply) : std::string();
        // A line break inside a garbled reply must not break the manifest's row.
        std::replace_if(identification.begin(), identification.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        return identification;
    };
    auto take = [&](std::string& Field, const char* Letters) {
        std::optional<std::string> taken = text(Letters);
        if (!taken) {
            if (AskAgain())
                return false;
            UnitFailed("wrong reply to " + std::string(Letters) + ": \"" + ShownReply(Reply) + "\"");
            NextUnit();
            return false;
        }
        Field = std::move(*taken);
        return true;
    };
    switch (step_) {
    case TStep::Select: {
        const std::string expected = "sc " + std::to_string(Target().Unit);
        const TReplyCheck check = CheckReply(expected, Reply);
        if (!check.Answers() || !check.Value.empty()) {
            if (AskAgain())
                return;
            UnitFailed(check.Verdict == TReplyVerdict::Echo ? std::string(EchoingLineText)
                                                             : "wrong reply to " + expected + ": \"" + ShownReply(Reply) + "\"");
            NextUnit();
            return;
        }
        SendStep(TStep::Type, "rt");
        break;
    }
    case TStep::Type:
        if (!take(row.Type, "rt"))
            return;
        SendStep(TStep::Version, "rh");
        break;
    case TStep::Version:
        if (!take(row.Version, "rh"))
            return;
        SendStep(TStep::Serial, "rx");
        break;
    case TStep::Serial:
        if (!take(row.Serial, "rx"))
            return;
        IdentityKnown();
        break;
    case TStep::Idle:
    case TStep::Transfer:
        break;
    }
}

void TLineSequence::SelectError(const TCommError& Error)
{
    if (!running_ || step_ == TStep::Idle || step_ == TStep::Transfer || Error.IsZero())
        return;
    if (DeviceGone(Error)) {
        lineLost_ = true;
        UnitFailed("line lost at " + Where());
    } else if (cancelRequested_) {
        UnitFailed("interrupted at " + Where());
    } else if (Error.Code == ecTimeout) {
        UnitFailed(step_ == TStep::Select ? std::string("no reply") : "time-out at " + Where());
    } else {
        UnitFailed("communication error at " + Where());
    }
    NextUnit();
}

void TLineSequence::IdentityKnown()
{
    const TLineTarget& target = Target();
    TLineUnitResult& result = Result();
    step_ = TStep::Transfer;
    if (job_ == TLineJob::Verify) {
        if (result.Row.Type != target.Row.Type)
            result.IdentityDifferences.push_back("type: " + target.Row.Type + " -> " + result.Row.Type);
        if (result.Row.Serial != target.Row.Serial)
            result.IdentityDifferences.push_back("serial: " + target.Row.Serial + " -> " + result.Row.Serial);
    }
    if (job_ == TLineJob::Restore) {
        if (const std::string refusal = RestoreRefusal(); !refusal.empty()) {
            step_ = TStep::Idle;
            UnitFailed("refused: " + refusal);
            NextUnit();
            return;
        }
        write_.SetMode(TTransferMode::Device);
        write_.SetParameters(target.Parameters);
        write_.SetSetpoints(target.Setpoints);
        write_.Start();
        return;
    }
    read_.SetMode(TTransferMode::Device);
    read_.Start();
}

void TLineSequence::TransferChanged(const TTransferSequence& Sequence)
{
    if (!running_ || step_ != TStep::Transfer)
        return;
    // A failure clears the view's flag; the unit's outcome still depends on it.
    computing_ = computing_ || Sequence.View().Computing;
    if (Ended(Sequence.View().Outcome) && !Sequence.View().AbortRequested)
        TransferEnded(Sequence.View());
    else
        Changed();
}

void TLineSequence::TransferClosed(const TTransferSequence&)
{
    // Only a Cancel closes the single run while it belongs to this one.
    if (!running_ || step_ != TStep::Transfer)
        return;
    UnitFailed("interrupted at " + Where());
    NextUnit();
}

void TLineSequence::TransferEnded(const TTransferView& View)
{
    const std::string where = Where();
    switch (View.Outcome) {
    case TTransferOutcome::Finished:
        if (job_ == TLineJob::Backup) {
            SaveBackup();
        } else {
            if (job_ == TLineJob::Verify) {
                const TLineTarget& target = Target();
                const auto differences = CompareValueSets(TValueSet{target.Parameters, target.Setpoints},
                                                          TValueSet{read_.ReadParameters(), read_.ReadSetpoints()});
                Result().ValueDifferences = differences.value_or(std::vector<TValueDifference>{});
            }
            UnitDone();
        }
        break;
    case TTransferOutcome::ComputeFailed:
        UnitFailed("computation failed (bp " + View.Reply + ")");
        break;
    case TTransferOutcome::Timeout:
        UnitFailed("time-out at " + where);
        break;
    case TTransferOutcome::PortClosed:
        lineLost_ = true;
        UnitFailed("line lost at " + where);
        break;
    case TTransferOutcome::CommError:
    case TTransferOutcome::OtherError:
        lineLost_ = lineLost_ || DeviceGone(View.Error);
        UnitFailed((lineLost_ ? "line lost at " : "communication error at ") + where);
        break;
    case TTransferOutcome::WrongReply:
        UnitFailed("wrong reply at " + where);
        break;
    case TTransferOutcome::Refused:
        UnitFailed("refused at " + where + " (er 7)");
        break;
    case TTransferOutcome::OtherValue:
        UnitFailed(View.Reply + " at " + where);
        break;
    case TTransferOutcome::Idle:
    case TTransferOutcome::Running:
        return;
    }
    NextUnit();
}

void TLineSequence::SaveBackup()
{
    TLineRow& row = Result().Row;
    const std::vector<uint8_t> bytes = FormatBackup(read_.ReadParameters(), SetpointsOf(read_.ReadSetpoints()));
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string name = LineBackupFileName(row.Unit, row.Serial);
    const TFileResult saved = SaveFileReplacing((std::filesystem::path(dir_) / name).string(), view);
    if (!saved.Ok()) {
        UnitFailed("save failed: " + saved.Detail);
        return;
    }
    row.File = name;
    row.Bytes = bytes.size();
    row.Sha256 = Sha256Hex(view);
    row.Time = UtcTimeStamp();
    UnitDone();
}

std::string TLineSequence::RestoreRefusal() const
{
    const TLineRow& row = Target().Row;
    const std::string& serial = results_[static_cast<std::size_t>(current_)].Row.Serial;
    const std::string type = ControllerType(results_[static_cast<std::size_t>(current_)].Row.Type);
    // New hardware is declared for a unit of the same type, never of another.
    if (type != ControllerType(row.Type))
        return "type \"" + (type.empty() ? std::string("(none)") : type) + "\" is not \"" + ControllerType(row.Type) +
               "\" of the manifest; a backup is restored only into its own type";
    if (Target().Replacement)
        return {};
    if (serial.find_first_not_of(' ') == std::string::npos)
        return "the unit reports no serial, so it matches no row of the manifest";
    if (serial == row.Serial)
        return {};
    std::string refusal = "serial \"" + serial + "\" is not \"" + row.Serial + "\" of the manifest";
    for (const TLineRow& other : manifestRows_)
        if (other.Unit != row.Unit && other.Serial == serial) {
            const std::string name = std::string(1, static_cast<char>('0' + other.Unit / 10)) +
                                     static_cast<char>('0' + other.Unit % 10);
            refusal += "; it is the serial of unit " + name + " in the manifest: was this unit swapped with unit " + name + "?";
        }
    return refusal;
}

std::string TLineSequence::WrittenSoFar() const
{
    if (step_ != TStep::Transfer)
        return NotWritten;
    const TTransferView& view = write_.View();
    if (view.Outcome == TTransferOutcome::ComputeFailed)
        return "; every value written, \"bp\" answered with an error";
    if (view.Computing || computing_)
        return "; every value written, \"bp\" sent but not answered: the unit may not have computed them";
    const std::string current = ItemName(view.Parameters, view.CurrentNumber);
    std::string confirmed;
    if (!view.Parameters)
        confirmed = view.CurrentNumber > 1 ? "P000..P399 and S001.." + ItemName(false, view.CurrentNumber - 1)
                                           : std::string("P000..P399");
    else if (view.CurrentNumber > 0)
        confirmed = "P000.." + ItemName(true, view.CurrentNumber - 1);
    // The value in hand may have reached the unit although its reply was lost or, after Ctrl-C, not
    // read: it is not confirmed either way, and not claimed to be old.
    return "; written in part: " + (confirmed.empty() ? std::string("nothing") : confirmed) + " confirmed, " + current +
           " unconfirmed (old or new value); \"bp\" not sent: the unit holds old and new values";
}

void TLineSequence::UnitFailed(const std::string& Status)
{
    TLineUnitResult& result = Result();
    result.State = TLineUnitState::Failed;
    result.Row.Status = Status + (job_ == TLineJob::Restore ? WrittenSoFar() : std::string());
}

void TLineSequence::UnitDone()
{
    TLineUnitResult& result = Result();
    result.State = TLineUnitState::Done;
    result.Row.Status = LineStatusOk;
}

void TLineSequence::NextUnit()
{
    step_ = TStep::Idle;
    if (lineLost_ || cancelRequested_) {
        MarkRemaining(lineLost_ ? "line lost" : "not started (cancelled)");
        Finish();
        return;
    }
    if (current_ + 1 >= static_cast<int>(targets_.size())) {
        Finish();
        return;
    }
    WriteManifest();
    ++current_;
    StartUnit();
}

void TLineSequence::MarkRemaining(const std::string& Status)
{
    for (std::size_t i = static_cast<std::size_t>(current_) + 1; i < results_.size(); ++i) {
        results_[i].State = TLineUnitState::Failed;
        results_[i].Row.Status = Status + (job_ == TLineJob::Restore ? NotWritten : "");
    }
}

void TLineSequence::Finish()
{
    step_ = TStep::Idle;
    running_ = false;
    WriteManifest();
    current_ = -1;
    Changed();
    if (OnFinished)
        OnFinished();
}

void TLineSequence::WriteManifest()
{
    if (job_ != TLineJob::Backup)
        return;
    std::vector<TLineRow> rows;
    for (const TLineUnitResult& result : results_)
        rows.push_back(result.Row);
    std::string error;
    if (!WriteFileAtomically(ManifestPath(), FormatLineManifest(rows), error))
        manifestError_ = error;
    else
        manifestError_.clear();
}

void TLineSequence::Changed()
{
    if (OnChanged)
        OnChanged();
}

std::string TLineSequence::Where() const
{
    switch (step_) {
    case TStep::Select:
        return "sc";
    case TStep::Type:
        return "rt";
    case TStep::Version:
        return "rh";
    case TStep::Serial:
        return "rx";
    case TStep::Transfer: {
        const TTransferView& view = job_ == TLineJob::Restore ? write_.View() : read_.View();
        if (view.Computing || computing_)
            return "bp";
        return ItemName(view.Parameters, view.CurrentNumber);
    }
    case TStep::Idle:
        break;
    }
    return {};
}

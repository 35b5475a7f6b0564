#include "cli/TransferRunner.h"

#include "params/core/ReadSequence.h"

#include "cli/CliSession.h"
#include "app/core/Global_var.h"
#include "comm/ReplyRule.h"
#include "params/core/TransferSequence.h"

#include <cstdio>

namespace cli {

namespace {

// A transfer request ends within a few seconds at most (1 s or 2 s time-out plus the reply);
// this long without any change means the line has gone quiet for good.
constexpr int TransferStallMs = 30000;

bool Ended(TTransferOutcome outcome)
{
    return outcome != TTransferOutcome::Idle && outcome != TTransferOutcome::Running;
}

// Turns the engine's view into progress phases: parameters, setpoints, computation.
class TransferProgress {
public:
    TransferProgress(ProgressDisplay& display, TransferDirection direction) : display_(display), direction_(direction) {}

    void Show(const TTransferView& view)
    {
        const Phase phase = view.Computing ? Phase::Computing : view.Parameters ? Phase::Parameters : Phase::Setpoints;
        if (phase != phase_) {
            phase_ = phase;
            display_.Begin(Label(phase), Total(phase));
        }
        int done = phase == Phase::Parameters ? view.CurrentNumber : phase == Phase::Setpoints ? view.CurrentNumber - 1 : 0;
        if (view.Outcome == TTransferOutcome::Finished || view.Outcome == TTransferOutcome::ComputeFailed)
            done = Total(phase);
        display_.Step(done);
        if (Ended(view.Outcome))
            display_.End();
    }

private:
    enum class Phase { None, Parameters, Setpoints, Computing };

    std::string Label(Phase phase) const
    {
        const bool reading = direction_ == TransferDirection::Read;
        switch (phase) {
        case Phase::Parameters:
            return reading ? "Reading parameters" : "Writing parameters";
        case Phase::Setpoints:
            return reading ? "Reading setpoints" : "Writing setpoints";
        case Phase::Computing:
            return "Computing parameters";
        case Phase::None:
            break;
        }
        return {};
    }

    static int Total(Phase phase)
    {
        return phase == Phase::Parameters ? ParameterCount : phase == Phase::Setpoints ? SetpointCount : 1;
    }

    ProgressDisplay& display_;
    TransferDirection direction_;
    Phase phase_ = Phase::None;
};

} // namespace

std::string TransferItemName(bool Parameters, int Number)
{
    char text[40];
    std::snprintf(text, sizeof text, "%s %c%03d", Parameters ? "parameter" : "setpoint", Parameters ? 'P' : 'S', Number);
    return text;
}

std::string DescribeTransferFailure(const TTransferView& View, TransferDirection Direction)
{
    const bool computing = View.Computing || View.FailedComputing;
    const std::string where = computing ? std::string(" during the parameter computation (bp)")
                                             : std::string(Direction == TransferDirection::Read ? " while reading "
                                                                                                : " while writing ") +
                                                   TransferItemName(View.Parameters, View.CurrentNumber);
    switch (View.Outcome) {
    case TTransferOutcome::Timeout:
        // The request went out: the controller may have stored it without the reply arriving.
        return "no reply (time-out)" + where +
               (Direction == TransferDirection::Write && !computing ? "; the value may have been written"
                                                                         : std::string());
    case TTransferOutcome::CommError:
    case TTransferOutcome::OtherError:
        return DescribeCommError(View.Error) + where;
    case TTransferOutcome::WrongReply:
        // An echoing line is named in words, not quoted as if it were the reply's bytes.
        if (View.Reply == EchoingLineText)
            return View.Reply + where;
        return "wrong reply \"" + View.Reply + "\" twice in a row" + where;
    case TTransferOutcome::OtherValue:
        return View.Reply + where;
    case TTransferOutcome::Refused:
        return "the controller refused " + TransferItemName(View.Parameters, View.CurrentNumber) + " (er 7)";
    case TTransferOutcome::PortClosed:
        return "the port closed" + where;
    case TTransferOutcome::ComputeFailed:
        return "the values were written, but the controller's parameter computation failed with report \"" +
               View.Reply + "\"";
    case TTransferOutcome::Idle:
    case TTransferOutcome::Running:
        return "the line stopped answering" + where;
    case TTransferOutcome::Finished:
        break;
    }
    return {};
}

// A network server may report a line error for the run's last reply after the run has ended; no
// later exchange carries it, so a finished run gives the line that moment here. Zero when none came.
static TCommError LateReportOfLastReply(CliSession& Session, const TTransferSequence& Sequence, bool Ended)
{
    if (!Ended || Sequence.View().Outcome != TTransferOutcome::Finished)
        return {};
    // The last exchange hands the line back once its callbacks have run.
    TZBComm& port = Session.Link().Port();
    Session.Link().RunUntil([&] { return port.QueueLength() == 0; }, [] { return 0L; }, TransferStallMs);
    return port.SettleLastReply();
}

static CliOutcome LateReportFailure(const TCommError& Late, const TTransferSequence& Sequence,
                                    TransferDirection Direction)
{
    const TTransferView& view = Sequence.View();
    const bool reading = Direction == TransferDirection::Read;
    const std::string item = !reading && Sequence.Mode() != TTransferMode::Setpoints
                                 ? std::string("the parameter computation (bp)")
                                 : TransferItemName(view.Parameters, view.CurrentNumber);
    return CliOutcome::Failure(DescribeCommError(Late) + ", reported by the line after the last reply (" + item +
                               (reading ? "): the values read cannot be trusted; nothing was saved"
                                        : "): the values written are not confirmed; write them again"));
}

std::optional<CliOutcome> RunTransfer(CliSession& Session, TTransferSequence& Sequence, TransferDirection Direction)
{
    TransferProgress progress(Session.Progress(), Direction);
    long changes = 0;
    Sequence.OnChanged = [&] {
        ++changes;
        progress.Show(Sequence.View());
    };
    const std::size_t tailBefore = Session.Link().Port().TailBytes();
    Sequence.Start();
    const auto runToEnd = [&] {
        return Session.Link().RunUntil([&] { return Ended(Sequence.View().Outcome); }, [&] { return changes; },
                                       TransferStallMs);
    };
    bool ended = runToEnd();
    TCommError late = LateReportOfLastReply(Session, Sequence, ended);
    // A first late report is asked again as one during the run is; another then fails the run.
    if (!late.IsZero() && Sequence.AskAgainAfterLateReport(late)) {
        ended = runToEnd();
        late = LateReportOfLastReply(Session, Sequence, ended);
    }
    Sequence.OnChanged = nullptr;
    Session.Progress().End();
    const TTransferView& view = Sequence.View();
    // A reply retried after bytes trailed the one before it can succeed, but the reply taken before
    // them is not proven to be this controller's: the run is refused as a whole.
    const std::size_t trailing = Session.Link().Port().TailBytes() - tailBefore;
    if (ended && view.Outcome == TTransferOutcome::Finished) {
        if (trailing == 0)
            return late.IsZero() ? std::nullopt : std::optional<CliOutcome>(LateReportFailure(late, Sequence, Direction));
        return CliOutcome::Failure(std::to_string(trailing) +
                                   " bytes followed a reply: a second unit answering to the same number, or a "
                                   "reply sent twice? The values cannot be proven to be this controller's");
    }
    const std::size_t stale = Session.Link().Port().StaleBytes();
    return CliOutcome::Failure(DescribeTransferFailure(view, Direction) +
                               (stale > 0 ? " (" + std::to_string(stale) + " bytes came unasked and were discarded)"
                                          : std::string()));
}

std::optional<CliOutcome> ReadFromDevice(CliSession& Session, TReadSequence& Read, TTransferMode Mode)
{
    if (auto failed = Session.Connect())
        return failed;
    Read.SetMode(Mode);
    return RunTransfer(Session, Read, TransferDirection::Read);
}

} // namespace cli

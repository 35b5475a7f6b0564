#include "cli/CliCommands.h"

#include "cli/CliSession.h"
#include "cli/JsonRecords.h"
#include "comm/ReplyRule.h"
#include "device/core/IdentificationChain.h"
#include "device/core/ReplyValue.h"
#include "params/core/ComputeParameters.h"
#include "params/core/WriteSequence.h"

#include <cstdio>
#include <optional>
#include <string>

namespace cli {

namespace {

// As the main window's requests: the library's default time-out for the identification, the
// terminal's 1500 ms for free text.
constexpr int IdentifyTimeoutMs = 0;
constexpr int SendTimeoutMs = 1500;
constexpr int ComputeStallMs = 30000;

// One identification text. A wrong reply is asked for once more, as the tool asks again for
// every wrong reply; a second one fails the command.
std::optional<CliOutcome> ReadIdentification(CliSession& Session, const char* command, std::string& text)
{
    std::string wrong;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const ExchangeResult reply = Session.Link().Exchange(command, IdentifyTimeoutMs);
        if (!reply.answered)
            return CliOutcome::Failure(std::string("\"") + command + "\": " + DescribeCommError(reply.error));
        // A script takes these lines for the controller's texts, so a reply to something else
        // must not pass for one. Control bytes (a NUL, noise) are no identification text.
        const TReplyCheck check = CheckReply(command, reply.reply);
        if (check.Answers() && reply.reply.size() <= device::kReplyBufferSize && !device::HasControlBytes(check.Value)) {
            text = check.Value;
            return std::nullopt;
        }
        wrong = check.Verdict == TReplyVerdict::Echo
                    ? std::string("\"") + command + "\": " + std::string(EchoingLineText)
                    : std::string("wrong reply to \"") + command + "\": \"" + ShownReply(reply.reply) + "\"";
    }
    return CliOutcome::Failure(wrong);
}

} // namespace

CliOutcome RunIdentify(CliSession& Session, bool Json)
{
    if (auto failed = Session.Connect())
        return *failed;
    std::vector<std::string> replies;
    for (const char* command : {"rt", "rh", "rx"}) {
        std::string text;
        if (auto failed = ReadIdentification(Session, command, text))
            return *failed;
        replies.push_back(std::move(text));
    }
    // Printed once all three are in, so a failure halfway leaves no half result.
    if (Json)
        PrintJson(Session.Out(), IdentificationJson(Session.Setup().unit, replies));
    else
        for (const std::string& text : replies)
            Session.Out() << text << '\n';
    const std::string model = device::ModelOfType(replies.front());
    if (!device::IsSupportedModel(model))
        Session.Err() << "kmt40-cli: warning: the controller is of type \"" << model << "\", not KM40 or KM41\n";
    return CliOutcome::Success();
}

CliOutcome RunSend(CliSession& Session, const std::string& Text)
{
    if (auto failed = Session.Connect())
        return *failed;
    const ExchangeResult reply = Session.Link().Exchange(Text, SendTimeoutMs, true);
    if (!reply.answered)
        return CliOutcome::Failure("\"" + Text + "\": " + DescribeCommError(reply.error));
    // The whole reply, echo included, line by line as the terminal shows it.
    for (const std::string& line : device::TextLines(std::string(reply.reply.begin(), reply.reply.end())))
        Session.Out() << line << '\n';
    return CliOutcome::Success();
}

CliOutcome RunBp(CliSession& Session)
{
    if (auto failed = Session.Connect())
        return *failed;
    TComputeParameters compute(&Session.Link().Port());
    // The loader window's 100 ms are too short for a controller that computes a while; the tool
    // waits as long as the "bp" of its write runs does.
    compute.KT750ParLoader.SetTimeoutTime(TWriteSequence::ComputeTimeoutTime);
    long changes = 0;
    compute.OnChanged = [&] { ++changes; };
    compute.Start();
    const auto ended = [&] {
        const TTransferOutcome outcome = compute.View().Outcome;
        return outcome != TTransferOutcome::Running && outcome != TTransferOutcome::Idle;
    };
    const bool done = Session.Link().RunUntil(ended, [&] { return changes; }, ComputeStallMs);
    const TTransferView& view = compute.View();
    if (done && view.Outcome == TTransferOutcome::Finished) {
        Session.Out() << "bp -1\n";
        return CliOutcome::Success();
    }
    if (done && view.Outcome == TTransferOutcome::ComputeFailed)
        return CliOutcome::Failure("the controller's parameter computation failed with report \"" + view.Reply + "\"");
    if (done && view.Outcome == TTransferOutcome::Timeout)
        return CliOutcome::Failure("\"bp\": no reply (time-out)");
    if (done && view.Outcome == TTransferOutcome::WrongReply)
        return CliOutcome::Failure("\"bp\": wrong reply \"" + view.Reply + "\"");
    return CliOutcome::Failure("\"bp\": " + DescribeCommError(view.Error));
}

} // namespace cli

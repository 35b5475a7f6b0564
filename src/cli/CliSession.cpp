#include "cli/CliSession.h"

#include "comm/ReplyRule.h"
#include "comm/serial/NetworkLine.h"

namespace cli {

namespace {
// "sc" is answered at once; as in the main window, the library's default time-out serves.
constexpr int UnitSelectTimeoutMs = 0;
} // namespace

CliSession::CliSession(LoopDispatcher& loop, LineSetup setup, std::ostream& out, std::ostream& err, bool errIsTerminal)
    : setup_(std::move(setup)), link_(loop), out_(out), err_(err), progress_(err, errIsTerminal)
{
}

std::string CliSession::Where() const
{
    // The line as used, so a wrong default is easy to spot in the message.
    return setup_.devicePath + " (" + LineSettingsText(setup_.port) +
           (setup_.settingsFileRead ? ")" : ", no application.ini beside the program)");
}

std::optional<CliOutcome> CliSession::OpenLine()
{
    try {
        link_.Open(setup_);
    } catch (const std::exception& e) {
        return CliOutcome::Failure("cannot open " + Where() + ": " + e.what());
    }
    NoteLineSettingsOfTheServer();
    return std::nullopt;
}

void CliSession::NoteLineSettingsOfTheServer()
{
    if (setup_.lineSettingsGiven && zbserial::IsRawNetworkLineName(setup_.devicePath))
        err_ << "note: " << setup_.devicePath
             << " is a raw TCP connection: the line keeps the server's own settings, the line options are not "
                "applied (rfc2217:// sets them)\n";
    else if (!zbserial::IsRawNetworkLineName(setup_.devicePath) && link_.Port().LineSettingsFixedAtServer())
        err_ << "note: the server of " << setup_.devicePath << " does not let the line settings be set: the line keeps "
             << "the server's own settings, not " << LineSettingsText(setup_.port) << "\n";
}

std::optional<CliOutcome> CliSession::Connect()
{
    if (auto failed = OpenLine())
        return failed;
    const std::string where = Where();
    const std::string select = "sc " + std::to_string(setup_.unit);
    // Nothing is read or written before the unit has proven itself: its reply repeats "sc n"
    // whole. A wrong one is asked for once more, as any wrong reply is.
    ExchangeResult reply;
    TReplyCheck check;
    for (int attempt = 0; attempt < 2; ++attempt) {
        reply = link_.Exchange(select, UnitSelectTimeoutMs);
        if (!reply.answered)
            return CliOutcome::Failure("unit " + std::to_string(setup_.unit) + " on " + where +
                                       " does not answer \"" + select + "\": " + DescribeCommError(reply.error));
        check = CheckReply(select, reply.reply);
        if (check.Answers() && check.Value.empty())
            return std::nullopt;
    }
    if (check.Verdict == TReplyVerdict::Echo)
        return CliOutcome::Failure("unit " + std::to_string(setup_.unit) + " on " + where + ": " +
                                   std::string(EchoingLineText));
    return CliOutcome::Failure("unit " + std::to_string(setup_.unit) + " on " + where + " is not proven: \"" + select +
                               "\" was answered \"" + ShownReply(reply.reply) + "\"");
}

} // namespace cli

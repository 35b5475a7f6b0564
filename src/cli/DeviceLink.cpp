#include "cli/DeviceLink.h"

#include "cli/LineSetup.h"
#include "comm/ZBPlatform.h"
#include "comm/serial/NetworkLine.h"

namespace cli {

namespace {
// A request ends with a reply or an error within its time-out plus the reply time; this only
// guards against a line that keeps silent about both.
constexpr int ExchangeStallMs = 30000;
} // namespace

DeviceLink::DeviceLink(LoopDispatcher& loop) : loop_(loop), port_(&loop)
{
    exchange_.SetProtocolFoot(TSequenceChar::scCR);
    exchange_.SetZBComm(&port_);
}

DeviceLink::~DeviceLink()
{
    try {
        Close();
    } catch (...) {
        // Nothing useful is left to report at the end of a run.
    }
    exchange_.SetZBComm(nullptr);
}

void DeviceLink::Open(const LineSetup& setup)
{
    ApplyLineSetup(port_, setup);
    port_.Open();
}

void DeviceLink::Close()
{
    port_.Close();
}

ExchangeResult DeviceLink::Exchange(const std::string& Command, int TimeoutMs, bool FreeText)
{
    ExchangeResult result;
    bool done = false;
    exchange_.OnCommResult = [&](TObject*, TMemoryStream& Result) {
        result.answered = true;
        result.reply = Result.Bytes();
        done = true;
    };
    exchange_.OnCommError = [&](TObject*, TCommError& Error, TMemoryStream&) {
        // The all-zero record only says that an earlier failure has passed.
        if (Error.IsZero())
            return;
        result.error = Error;
        done = true;
    };
    if (!port_.Active()) {
        result.error.Code = ecPortClosed;
        return result;
    }
    exchange_.SetTimeoutTime(TimeoutMs);
    exchange_.SetEndsBySilence(FreeText);
    exchange_.SetASCIIProtocol(Command);
    exchange_.SendRequest();
    long ticks = 0;
    if (!RunUntil([&] { return done; }, [&] { return ticks; }, ExchangeStallMs)) {
        result.error.Code = ecTimeout;
        // Given up: should its outcome still come, it answers nobody, least of all the next request.
        exchange_.CancelRequest();
    }
    exchange_.OnCommResult = nullptr;
    exchange_.OnCommError = nullptr;
    return result;
}

bool DeviceLink::RunUntil(const std::function<bool()>& Done, const std::function<long()>& Progress, int StallMs)
{
    constexpr int SliceMs = 250;
    long last = Progress();
    int quietMs = 0;
    while (!loop_.runUntil(Done, SliceMs)) {
        const long now = Progress();
        if (now != last) {
            last = now;
            quietMs = 0;
        } else if ((quietMs += SliceMs) >= StallMs) {
            return false;
        }
    }
    return true;
}

std::string DescribeCommError(const TCommError& error)
{
    if (error.Code == ecTimeout)
        return "no reply (time-out)";
    if (error.Code == ecPortClosed)
        return "the port is closed";
    if (error.Code == ecSystemError && zbserial::IsConnectionLostError(error.SystemError))
        return error.LineText.empty()
                   ? "the network connection to the line was lost (" + SystemErrorDescription(error.SystemError) + ")"
                   : error.LineText;
    if (error.SystemError != 0)
        return "communication error: " +
               (error.LineText.empty() ? SystemErrorDescription(error.SystemError) : error.LineText) +
               (error.CommErrors != 0 ? ", line errors " + std::to_string(LineErrorFlags(error.CommErrors))
                                      : std::string());
    if (error.CommErrors != 0)
        return "communication error: line errors " + std::to_string(LineErrorFlags(error.CommErrors));
    return "communication error (code " + std::to_string(error.Code) + ")";
}

} // namespace cli

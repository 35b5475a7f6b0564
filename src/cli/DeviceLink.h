#pragma once
// The serial line of one run: the port component on the program's loop, plus single request and
// reply exchanges for the commands that need no transfer engine ("sc", "rt", a terminal text).

#include "comm/KT750Protocol.h"
#include "comm/LoopDispatcher.h"
#include "comm/ZBComm.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cli {

struct LineSetup;

struct ExchangeResult {
    bool answered = false;  // a reply arrived (its content is not judged here)
    TCommError error;       // why not, when not answered
    std::vector<uint8_t> reply;
};

class DeviceLink {
public:
    explicit DeviceLink(LoopDispatcher& loop);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Applies the settings and opens the port; throws ECommHandleError or ECommInitError.
    void Open(const LineSetup& setup);
    void Close();

    TZBComm& Port() { return port_; }
    LoopDispatcher& Loop() { return loop_; }

    // Sends Command (CR appended) and waits for its reply or error. TimeoutMs is the first-byte
    // time-out of the request (0: the library's 100 ms). A FreeText reply (the user's own text,
    // which may draw several lines) always ends by silence, whatever the port's fast end says.
    ExchangeResult Exchange(const std::string& Command, int TimeoutMs, bool FreeText = false);

    // Serves the loop until Done() is true. Returns false when Progress() has not changed for
    // StallMs: the line has stopped delivering anything, and waiting longer would hang the run.
    bool RunUntil(const std::function<bool()>& Done, const std::function<long()>& Progress, int StallMs);

private:
    LoopDispatcher& loop_;
    TZBComm port_;
    TKT750Protocol exchange_;
};

// A one-line description of a failed request: "no reply (time-out)", "line error 0, 8", ...
std::string DescribeCommError(const TCommError& error);

} // namespace cli

#pragma once
// Progress of a transfer on standard error: a bar redrawn in place on a terminal, plain lines
// (one per tenth of the way) when standard error goes to a file or a pipe, so logs stay readable.

#include <ostream>
#include <string>

namespace cli {

class ProgressDisplay {
public:
    ProgressDisplay(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

    // A new phase: "Reading parameters" with total items.
    void Begin(const std::string& label, int total);
    // done items of the phase are finished.
    void Step(int done);
    // Ends the phase's output line (a bar is left complete or where it stopped).
    void End();

private:
    void DrawBar(int done);

    std::ostream& out_;
    bool terminal_;
    std::string label_;
    int total_ = 0;
    int shown_ = -1;  // bar: last drawn count; lines: last tenth reported
    bool open_ = false;
};

// True when the stream number (2 for standard error) is a terminal.
bool IsTerminal(int fd);

} // namespace cli

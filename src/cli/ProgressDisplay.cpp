#include "cli/ProgressDisplay.h"

#include <algorithm>

namespace cli {

namespace {
constexpr int BarWidth = 40;
}

void ProgressDisplay::Begin(const std::string& label, int total)
{
    End();
    label_ = label;
    total_ = std::max(total, 1);
    shown_ = -1;
    open_ = true;
    if (terminal_)
        DrawBar(0);
    else
        out_ << label_ << ": 0/" << total_ << '\n' << std::flush;
    shown_ = 0;
}

void ProgressDisplay::Step(int done)
{
    if (!open_)
        return;
    done = std::clamp(done, 0, total_);
    if (terminal_) {
        if (done != shown_)
            DrawBar(done);
        shown_ = done;
        return;
    }
    const int tenth = done * 10 / total_;
    if (tenth > shown_) {
        shown_ = tenth;
        out_ << label_ << ": " << done << '/' << total_ << '\n' << std::flush;
    }
}

void ProgressDisplay::End()
{
    if (!open_)
        return;
    open_ = false;
    if (terminal_)
        out_ << '\n' << std::flush;
}

void ProgressDisplay::DrawBar(int done)
{
    const int filled = done * BarWidth / total_;
    out_ << '\r' << label_ << " [" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(BarWidth - filled), '.') << "] " << done << '/' << total_ << std::flush;
}

} // namespace cli

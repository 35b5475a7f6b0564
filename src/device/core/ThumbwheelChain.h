#pragma once
// The thumbwheel poll: "rd 1", "rd 2", "rd 3", "rd 4", "rd 1", ... each sent from the reply to
// the one before; a failed request ends the chain.
#include "app/core/Global_var.h"

#include <string>
#include <string_view>

namespace device {

class ThumbwheelChain {
public:
    struct Outcome {
        int thumbwheel = 0;      // 1..4: the panel to update; 0: nothing to show
        std::string text;        // what that panel shows
        std::string nextCommand; // empty: the chain ends
    };

    // Starts at thumbwheel 1; returns the first command.
    std::string Start();
    void Stop() { running_ = false; }
    bool Running() const { return running_; }
    int ThumbwheelIndex() const { return index_; }

    // A reply's value text ("3 500": the thumbwheel number, a blank, the value). Stores the value
    // (0 when it is no number) in values[k - 1] and asks for the next thumbwheel. Ignored while
    // the chain is stopped.
    Outcome OnReply(std::string_view valueText, TThumbwheelValues& values);
    // A failed request: "?" in the current thumbwheel's panel, and the chain ends.
    Outcome OnError();

private:
    bool running_ = false;
    int index_ = 1;
};

} // namespace device

#pragma once
// The thumbwheel poll: "rd 1", "rd 2", "rd 3", "rd 4", "rd 1", ... each sent from the reply to
// the one before. A failed step shows "?" in its panel and the chain moves on, as the cyclic polls
// go on after a failure.
#include "app/core/Global_var.h"

#include <cstdint>
#include <string>
#include <vector>

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

    // A reply ("rd 3 500\r\n": the echo, the thumbwheel number, a blank, the value). Stores the
    // value (0 when it is no number) in values[k - 1] and asks for the next thumbwheel. A reply
    // that does not repeat "rd" and the number asked for is a failed step. Ignored while the chain
    // is stopped.
    Outcome OnReply(const std::vector<std::uint8_t>& reply, TThumbwheelValues& values);
    // A failed request: "?" in the current thumbwheel's panel (its value stays), then the next one.
    Outcome OnError();

private:
    Outcome next(int thumbwheel, std::string text);

    bool running_ = false;
    int index_ = 1;
};

} // namespace device

// The terminal line's recall: order, the draft, repeats and the fifty texts kept.
#include "device/core/TerminalHistory.h"

#include <gtest/gtest.h>

TEST(TerminalHistory, KeepsTheLastFiftyTextsAndTheDraft)
{
    device::TerminalHistory history;
    EXPECT_EQ(history.Up("typed"), "typed"); // nothing sent yet
    EXPECT_EQ(history.Down("typed"), "typed");
    for (int i = 1; i <= 60; ++i)
        history.Add("rp " + std::to_string(i));
    history.Add("");
    EXPECT_EQ(history.Size(), device::TerminalHistory::Capacity);
    std::string text = "draft";
    for (int i = 60; i >= 11; --i) {
        text = history.Up(text);
        EXPECT_EQ(text, "rp " + std::to_string(i));
    }
    EXPECT_EQ(history.Up(text), "rp 11"); // the oldest kept stays
    for (int i = 0; i < 50; ++i)
        text = history.Down(text);
    EXPECT_EQ(text, "draft");
    // Sending ends the recall: Up starts again from the newest.
    history.Up("x");
    history.Add("rf");
    EXPECT_EQ(history.Up(""), "rf");
}

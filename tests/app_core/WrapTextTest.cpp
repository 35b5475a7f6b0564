// The word wrap of the warning boxes.
#include "app/core/WrapText.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(WrapText, LinesStayWithinFortyTwoAndBreakAfterTheBreakCharacters)
{
    const std::string text =
        "Parameter values have been sent to the controller but not yet loaded. The controller keeps "
        "working with the previous parameters until they are loaded (Load and test parameters). Close anyway?";
    const std::string wrapped = WrapMessage42(text);
    std::string unwrapped;
    std::istringstream lines(wrapped);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        EXPECT_LE(line.size(), 42u) << line;
        const char last = line.back();
        if (lines.peek() != EOF) {
            EXPECT_TRUE(last == ' ' || last == '-' || last == '.' || last == '\t') << line;
        }
        unwrapped += line;
        ++count;
    }
    EXPECT_EQ(unwrapped, text); // nothing lost, nothing added but the breaks
    EXPECT_GE(count, 5);
    EXPECT_EQ(wrapped.substr(0, 41), "Parameter values have been sent to the \r\n");
}

TEST(WrapText, ShortTextsLongWordsAndExistingBreaks)
{
    EXPECT_EQ(WrapMessage42("Close anyway?"), "Close anyway?");
    const std::string word(50, 'x');
    EXPECT_EQ(WrapMessage42(word + " tail"), word + " \r\ntail"); // a long word is never cut
    EXPECT_EQ(WrapText("aaa bbb\nccc ddd", "|", " ", 5), "aaa |bbb\nccc |ddd");
    EXPECT_EQ(WrapText("a-b-c-d", "|", "-", 4), "a-b-|c-d");
    EXPECT_EQ(WrapMessage42(""), "");
}

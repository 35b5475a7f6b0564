#include "app/core/CommaText.h"

#include <gtest/gtest.h>

namespace {

using Items = std::vector<std::string>;

TEST(CommaTextTest, SplitsAtCommasAndBlanks) {
  EXPECT_EQ(SplitCommaText("a,b,c"), (Items{"a", "b", "c"}));
  // Written without quotes, a two-word text becomes two entries.
  EXPECT_EQ(SplitCommaText("Ref fijn,Inactief"), (Items{"Ref", "fijn", "Inactief"}));
  EXPECT_EQ(SplitCommaText("  \t\x01" "a ,  b"), (Items{"a", "b"}));
  EXPECT_EQ(SplitCommaText(""), Items{});
  EXPECT_EQ(SplitCommaText("   "), Items{});
}

TEST(CommaTextTest, QuotedItems) {
  EXPECT_EQ(SplitCommaText("\"Hold/Reset\",\"Ref fijn\",\"SSI Justage\",Inactief"),
            (Items{"Hold/Reset", "Ref fijn", "SSI Justage", "Inactief"}));
  EXPECT_EQ(SplitCommaText("\"a,b\",\"say \"\"hi\"\"\""), (Items{"a,b", "say \"hi\""}));
  EXPECT_EQ(SplitCommaText("\"0\",\"1\",\"2\""), (Items{"0", "1", "2"}));
  // An unterminated quote runs to the end; text glued to a closing quote is the next item.
  EXPECT_EQ(SplitCommaText("\"open end"), (Items{"open end"}));
  EXPECT_EQ(SplitCommaText("\"ab\"cd"), (Items{"ab", "cd"}));
}

TEST(CommaTextTest, EmptyItems) {
  EXPECT_EQ(SplitCommaText("a,,b"), (Items{"a", "", "b"}));
  EXPECT_EQ(SplitCommaText("a,"), (Items{"a", ""}));
  EXPECT_EQ(SplitCommaText("a, "), (Items{"a"}));  // the blank after the comma ends the text
  EXPECT_EQ(SplitCommaText(",a"), (Items{"", "a"}));
  EXPECT_EQ(SplitCommaText("\"\""), (Items{""}));
}

TEST(CommaTextTest, EndsAtNulAndKeepsHighBytes) {
  EXPECT_EQ(SplitCommaText(std::string("a,b\0,c", 6)), (Items{"a", "b"}));
  EXPECT_EQ(SplitCommaText("Gr\xF6\xDF" "e,\xFC"), (Items{"Gr\xF6\xDF" "e", "\xFC"}));
}

TEST(CommaTextTest, JoinQuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(JoinCommaText({"a", "b c", "d,e", "say \"hi\"", ""}),
            "a,\"b c\",\"d,e\",\"say \"\"hi\"\"\",");
  EXPECT_EQ(JoinCommaText({"#045"}), "#045");
  EXPECT_EQ(JoinCommaText({""}), "\"\"");
  EXPECT_EQ(JoinCommaText({}), "");
}

TEST(CommaTextTest, JoinThenSplitRoundTrips) {
  const Items samples[] = {{"a", "b c", "", "x,y", "\"q\"", "\xE4\xF6\xFC"}, {"", ""}, {"one"}, {""}};
  for (const Items& items : samples) EXPECT_EQ(SplitCommaText(JoinCommaText(items)), items);
}

}  // namespace

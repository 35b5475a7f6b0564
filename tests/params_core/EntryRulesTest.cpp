// The entry rules of the single-parameter dialog and the setpoint grid, typed key by key as a user
// would, and the tree the parameter editor falls back on without a tree file.
#include "params/core/MenuTreeFallback.h"
#include "params/core/ParamEntry.h"
#include "params/core/SetpointEntry.h"
#include "app/core/Functies.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Types Keys into a field as the dialog does, the caret at the end and nothing selected unless a
// key result moves it; returns the text.
std::string Type(std::string Text, const std::string& Keys, const TEntryLimits& Limits)
{
    int cursor = static_cast<int>(Text.size());
    for (char key : Keys) {
        const TEntryKeyResult r = FilterEntryKey({Text, cursor, 0}, key, Limits);
        if (r.Action == TEntryKeyResult::TAction::Insert) {
            if (r.Key == BackspaceKey) {
                if (cursor > 0)
                    Text.erase(static_cast<std::size_t>(--cursor), 1);
            } else {
                Text.insert(static_cast<std::size_t>(cursor++), 1, r.Key);
            }
        } else if (r.Action == TEntryKeyResult::TAction::ReplaceText) {
            Text = r.Text;
            cursor = r.Cursor;
        }
    }
    return Text;
}

TEntryLimits Limits(int32_t Decimals, int32_t Min, int32_t Max)
{
    TEntryLimits limits{Decimals, Min, Max, 0};
    limits.IntegerDigits = IntegerDigitsOf(FormatFixed(Decimals, Min), FormatFixed(Decimals, Max), Decimals);
    return limits;
}

} // namespace

TEST(ParamEntry, TwoDecimalsKeepTheShapeOfTheLimits)
{
    const TEntryLimits limits = Limits(2, -1000, 5000); // -10,00 .. 50,00
    EXPECT_EQ(limits.IntegerDigits, 2);
    EXPECT_EQ(Type("", "12,345", limits), "12,34");  // the third decimal is refused
    EXPECT_EQ(Type("", "123", limits), "12");        // the third integer digit too
    EXPECT_EQ(Type("", "1.5", limits), "1,5");       // "." is typed as ","
    EXPECT_EQ(Type("", "1,2,", limits), "1,2");      // one comma only
    EXPECT_EQ(Type("", "12,34\b\b9", limits), "12,9"); // backspace always passes
    EXPECT_EQ(Type("", "12,34\b\b\b9", limits), "12"); // two integer digits are all
    EXPECT_EQ(CheckEntry("1,5", limits).Value, 150);
    EXPECT_EQ(CheckEntry("-10", limits).Value, -1000);
    EXPECT_EQ(CheckEntry("50,01", limits).Check, TEntryCheck::OutOfRange);
    EXPECT_EQ(CheckEntry("-10,01", limits).Check, TEntryCheck::OutOfRange);
}

TEST(ParamEntry, NoDecimalsAndTheSign)
{
    const TEntryLimits whole = Limits(0, 0, 999);
    EXPECT_EQ(Type("", "1,.2", whole), "12");
    EXPECT_EQ(Type("", "-5", whole), "5"); // no sign when Min is 0
    const TEntryValue leadingZeros = CheckEntry("007", whole);
    EXPECT_EQ(leadingZeros.Check, TEntryCheck::Ok);
    EXPECT_EQ(leadingZeros.Value, 7);
    EXPECT_EQ(CheckEntry("", whole).Value, 0); // an empty field is 0 when 0 is allowed
    EXPECT_EQ(CheckEntry("", Limits(0, 1, 9)).Check, TEntryCheck::OutOfRange);

    const TEntryLimits signed50 = Limits(0, -50, 50);
    EXPECT_EQ(Type("25", "-", signed50), "-25");   // the sign goes in front, the caret to the end
    EXPECT_EQ(Type("-25", "-", signed50), "-25");  // and only once
    EXPECT_EQ(CheckEntry("-25", signed50).Value, -25);
    // With the caret before the sign nothing can be typed there.
    EXPECT_EQ(FilterEntryKey({"-25", 0, 0}, '1', signed50).Action, TEntryKeyResult::TAction::Reject);
    // A selection typed over with "-" at the start replaces it.
    EXPECT_EQ(FilterEntryKey({"-25", 0, 3}, '-', signed50).Action, TEntryKeyResult::TAction::Insert);
}

TEST(ParamEntry, TextsTheFilterCannotProduceAreRefusedNotMisread)
{
    const TEntryLimits limits{2, -999999999, 999999999, 7};
    EXPECT_EQ(CheckEntry("1234567", limits).Check, TEntryCheck::TooManyDigits); // 9 digits once filled
    EXPECT_EQ(CheckEntry("123456", limits).Value, 12345600);
    EXPECT_EQ(CheckEntry("1,234", limits).Check, TEntryCheck::OutOfRange); // a decimal too many
    EXPECT_EQ(CheckEntry("1-2", limits).Check, TEntryCheck::OutOfRange);
    EXPECT_EQ(CheckEntry("1a", limits).Check, TEntryCheck::OutOfRange);
    EXPECT_EQ(CheckEntry("1,5", TEntryLimits{0, 0, 99, 2}).Check, TEntryCheck::OutOfRange);
}

TEST(ParamEntry, DecimalsOfADamagedParameter203AreAnyNumberAndCostNothing)
{
    // Filling up 2147483647 decimals would take 2 GB; the check knows the length beforehand.
    for (const int32_t decimals : {9, 1000, 2000000000, INT32_MAX}) {
        const TEntryLimits limits{decimals, INT32_MIN, INT32_MAX, 8};
        EXPECT_EQ(CheckEntry("1", limits).Check, TEntryCheck::TooManyDigits) << decimals;
        EXPECT_EQ(CheckEntry("", limits).Check, TEntryCheck::TooManyDigits) << decimals;
        EXPECT_EQ(CheckEntry("-0,5", limits).Check, TEntryCheck::TooManyDigits) << decimals;
    }
    // Negative decimals count as none.
    EXPECT_EQ(CheckEntry("1234", TEntryLimits{INT32_MIN, 0, 9999, 4}).Value, 1234);
    EXPECT_EQ(CheckEntry("1,5", TEntryLimits{-2, 0, 9999, 4}).Check, TEntryCheck::OutOfRange);
    // Eight digits in all is still taken.
    EXPECT_EQ(CheckEntry("1", TEntryLimits{7, 0, INT32_MAX, 8}).Value, 10000000);
}

TEST(SetpointEntry, KeysAndEnter)
{
    EXPECT_EQ(FilterSetpointKey("12", '.', 2), ',');
    EXPECT_EQ(FilterSetpointKey("12,5", ',', 2), 0);
    EXPECT_EQ(FilterSetpointKey("12", ',', 0), 0);
    EXPECT_EQ(FilterSetpointKey("-1", '-', 0), 0);
    EXPECT_EQ(FilterSetpointKey("", 'a', 2), 0);
    EXPECT_EQ(FilterSetpointKey("", '\r', 2), '\r');

    EXPECT_EQ(ParseSetpointEntry("12,5", 2), 1250);
    EXPECT_EQ(ParseSetpointEntry("-9999999", 0), -9999999);
    EXPECT_EQ(ParseSetpointEntry("-10000000", 0), ParseRangeError);
    EXPECT_EQ(ParseSetpointEntry("99999999", 0), 99999999);
    EXPECT_EQ(ParseSetpointEntry("1-", 0), ParseFormatError);
}

TEST(MenuTreeFallback, EveryMenuOfTheMapUnderItsOwnNumbers)
{
    TParameterMenuMap map;
    map.LoadFromText("[100]\nParId1=0\n[302]\nParId1=5\n[300]\nParId1=4\n[1205]\nParId1=7\n[junk]\nParId1=1\n");
    const TMenuTree tree = MenuTreeFromMenuMap(map, "Menus");
    ASSERT_EQ(tree.Nodes.size(), 6u);
    EXPECT_EQ(tree.Nodes[0].Caption, "Menus");
    EXPECT_EQ(tree.Nodes[0].MenuId(), 0);
    EXPECT_EQ(tree.Nodes[1].Caption, "1");
    EXPECT_EQ(tree.Nodes[2].Caption, "3");
    EXPECT_EQ(tree.Nodes[3].Caption, "3.2");
    EXPECT_EQ(tree.Nodes[3].MenuId(), 302);
    EXPECT_EQ(tree.Nodes[3].Parent, 2);
    EXPECT_EQ(tree.Nodes[5].MenuId(), 1205); // a menu without its own section still appears
    EXPECT_EQ(MenuTreeFromMenuMap(TParameterMenuMap{}, "Menus").Nodes.size(), 1u);
}

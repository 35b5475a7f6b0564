#include "app/core/Windows1252.h"
#include "app/core/Windows1252Utf8.h"

#include <gtest/gtest.h>

#include <string>

TEST(Windows1252, TypographicBytesAreTheirMarks)
{
    EXPECT_EQ(DecodeWindows1252("\x80 \x93q\x94 \x85 \x96 \x84"), u"\u20ac \u201cq\u201d \u2026 \u2013 \u201e");
    EXPECT_EQ(DecodeWindows1252("A\xe9\xff"), u"A\u00e9\u00ff");
    EXPECT_EQ(EncodeWindows1252(u"\u20ac \u201cq\u201d \u00e9"), "\x80 \x93q\x94 \xe9");
}

TEST(Windows1252, EveryByteSurvivesTheTripThereAndBack)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(all)), all);
}

TEST(Windows1252, CharactersWithoutAByteBecomeOneQuestionMarkEach)
{
    // U+0080 is a C1 control that the code page shows as the euro sign's byte, so it has no byte;
    // a character beyond the basic plane is one "?", not two.
    EXPECT_EQ(EncodeWindows1252(u"\u0080|\u4e2d|\U0001F600|\xd800"), "?|?|?|?");
}

TEST(Windows1252, Utf8KeepsEveryCharacter)
{
    EXPECT_EQ(Windows1252ToUtf8("Stra\xdf" "e \x80 5\xb0 \x93q\x94 \xff"), "Stra\u00dfe \u20ac 5\u00b0 \u201cq\u201d \u00ff");
    // An unassigned byte stays its own (C1) character, so nothing is lost or invalid.
    EXPECT_EQ(Windows1252ToUtf8("\x81\x9d"), "\xc2\x81\xc2\x9d");
    EXPECT_EQ(Windows1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

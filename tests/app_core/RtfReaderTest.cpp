// The help pages' rich-text reader: what it keeps of a page, and damaged input.
#include "app/core/RtfReader.h"
#include "Utf8Check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string AllText(const TRtfDocument& Document)
{
    std::string text;
    for (const TRtfParagraph& paragraph : Document.Paragraphs) {
        for (const TRtfRun& run : paragraph.Runs)
            text += run.Text;
        text += '\n';
    }
    return text;
}

} // namespace

TEST(RtfReader, ParagraphsFormattingColoursAndSpecialCharacters)
{
    const TRtfResult r = ParseRtf(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red153\\green0\\blue0;}"
        "{\\*\\generator Hidden;}{\\info{\\title Hidden too}}\\pard\\fs32\\b\\cf1 Fehler 1\\b0\\cf0\\fs20\\par\r\n"
        "\\par\nSt\\'f6rung \\endash  {\\i kursiv} \\ul unter\\ulnone  \\u8364? \\\\ \\{x\\}\\line Ende\\tab!}");
    ASSERT_TRUE(r.Ok) << r.ErrorMessage;
    const TRtfDocument& d = r.Document;
    EXPECT_EQ(AllText(d), "Fehler 1\n\nSt\xc3\xb6rung \xe2\x80\x93 kursiv unter \xe2\x82\xac \\ {x}\xe2\x80\xa8" "Ende\t!\n");
    ASSERT_EQ(d.Paragraphs.size(), 3u);
    const TRtfRun& heading = d.Paragraphs[0].Runs.at(0);
    EXPECT_TRUE(heading.Bold);
    EXPECT_EQ(heading.HalfPoints, 32);
    EXPECT_EQ(heading.Color, 1);
    ASSERT_EQ(d.Colors.size(), 2u);
    EXPECT_TRUE(d.Colors[0].Auto);
    EXPECT_EQ(d.Colors[1].Red, 153);
    EXPECT_FALSE(d.Colors[1].Auto);
    bool italic = false, underline = false;
    for (const TRtfRun& run : d.Paragraphs[2].Runs) {
        italic = italic || (run.Italic && run.Text == "kursiv");
        underline = underline || (run.Underline && run.Text == "unter");
        EXPECT_FALSE(run.Bold);
        EXPECT_EQ(run.HalfPoints, 20);
    }
    EXPECT_TRUE(italic);
    EXPECT_TRUE(underline);
}

TEST(RtfReader, DamagedInputEndsInAnErrorOrTheTextReadSoFar)
{
    EXPECT_FALSE(ParseRtf("").Ok);
    EXPECT_FALSE(ParseRtf("plain text, no rich text").Ok);
    EXPECT_EQ(ParseRtf("\x7f" "ELF\x01\x02").ErrorKind, "ERtfFormatError");

    const TRtfResult open = ParseRtf("{\\rtf1 Half a page\\par and no end \\'f");
    ASSERT_TRUE(open.Ok);
    EXPECT_EQ(AllText(open.Document), "Half a page\nand no end f\n"); // a broken escape is dropped

    const std::string deep = "{\\rtf1 " + std::string(10000, '{') + "x";
    const TRtfResult nested = ParseRtf(deep);
    EXPECT_FALSE(nested.Ok);
    EXPECT_NE(nested.ErrorMessage.find("nests"), std::string::npos);

    std::string huge = "{\\rtf1 ";
    huge.append(MaxRtfBytes, 'a');
    EXPECT_FALSE(ParseRtf(huge).Ok);

    // Binary data, a huge \bin count, unbalanced braces and stray bytes read in bounds.
    const TRtfResult bin = ParseRtf(std::string("{\\rtf1 a{\\bin4 \0}{}x}b\\bin999999999 tail", 41));
    ASSERT_TRUE(bin.Ok);
    EXPECT_EQ(AllText(bin.Document), "axb\n"); // the four bytes after \\bin4 are skipped unread
    EXPECT_TRUE(ParseRtf("{\\rtf1 }}}}}\\u-4000000000 \\fs99999999999 \\cf-3 x").Ok);
}

TEST(RtfReader, CharactersOutsideTheBasicPlaneAreOneUtf8Sequence)
{
    const std::string smiley = "\xf0\x9f\x98\x8a"; // U+1F60A
    const std::string replacement = "\xef\xbf\xbd";
    const struct {
        const char* Rtf;
        std::string Text;
    } cases[] = {
        {"{\\rtf1 \\u-10179?\\u-8694?}", smiley + "\n"},
        {"{\\rtf1 a\\uc2 \\u-10179??\\u-8694??b}", "a" + smiley + "b\n"}, // \\ucN skips across the pair
        {"{\\rtf1 \\uc0 \\u55357\\u56842 .}", smiley + ".\n"},
        {"{\\rtf1 \\u-10179?x}", replacement + "x\n"},                  // a high half alone
        {"{\\rtf1 \\u-8694?x}", replacement + "x\n"},                   // a low half alone
        {"{\\rtf1 \\u-10179?\\u-10179?\\u-8694?}", replacement + smiley + "\n"},
        {"{\\rtf1 \\u-10179?\\par x\\u-10179?}", replacement + "\nx" + replacement + "\n"},
        {"{\\rtf1 {\\u-10179?}\\u-8694?}", replacement + replacement + "\n"}, // split by a group
    };
    for (const auto& c : cases) {
        const TRtfResult r = ParseRtf(c.Rtf);
        ASSERT_TRUE(r.Ok) << c.Rtf;
        EXPECT_EQ(AllText(r.Document), c.Text) << c.Rtf;
        for (const TRtfParagraph& paragraph : r.Document.Paragraphs)
            for (const TRtfRun& run : paragraph.Runs)
                EXPECT_TRUE(IsValidUtf8(run.Text)) << c.Rtf;
    }
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\xbd")); // the old output for a half: the check would see it
}

TEST(RtfReader, TheShippedHelpPagesRead)
{
    for (int language = 0; language < 3; ++language) {
        std::ifstream file(std::string(KMT40_DATA_DIR) + "ErrorHelp" + std::to_string(language) + ".rtf",
                           std::ios::binary);
        ASSERT_TRUE(file) << language;
        std::stringstream bytes;
        bytes << file.rdbuf();
        const TRtfResult r = ParseRtf(bytes.str());
        ASSERT_TRUE(r.Ok) << r.ErrorMessage;
        EXPECT_GE(r.Document.Paragraphs.size(), 14u * 4);
        const std::string text = AllText(r.Document);
        EXPECT_NE(text.find("14 \xe2\x80\x93 "), std::string::npos) << language;
        EXPECT_EQ(text.find("Hidden"), std::string::npos);
        EXPECT_EQ(text.find('\\'), std::string::npos) << language; // no control word shows
    }
}

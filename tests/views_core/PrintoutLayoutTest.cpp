// The printouts laid out on a recording canvas: page geometry and header, the menu walk over the
// tree lines and the menu map, the line formats and the page breaks.
#include "RecordingCanvas.h"

#include "app/core/Global_var.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterMenuMap.h"
#include "views/core/ParameterPrintout.h"
#include "views/core/SetpointPrintout.h"

#include <gtest/gtest.h>

namespace {

// 600 ppi: ppcm 236.22; L = 2480 - 2102.36 -> 377; T = 614; B = 7016 - 283 = 6733.
constexpr int Left = 377;
constexpr int BodyTop = 614;

TPrintHeader Header()
{
    TPrintHeader header;
    header.Labels = {"Firma:", "Type:", "Serie nummer:"};
    header.Firma = "ACME";
    header.Type = "Press 4";
    header.Sn = "SN 17";
    header.PageWord = "P";
    header.Date = "07-12-2026";
    return header;
}

class PrintoutLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        Global_var.Reset();
        LanguageIndex = 1;
        ParameterCatalogue.LoadFromText("[012]\nnaam1=Twelve\ntype=0\ndec=2\n"
                                        "[013]\nnaam1=Choice\ntype=1\nopties1=off,on\ndec=0\n"
                                        "[014]\nnaam1=Plain\ntype=0\ndec=0\n");
        CatalogueLoaded = true;
        ParameterMenuMap.LoadFromText("[101]\nParId1=12\nParId2=13\nParId3=14\n"
                                      "[102]\nParId1=14\nParId3=12\nParId4=-1\n"
                                      "[200]\nParId1=13\n");
        MenuMapLoaded = true;
    }
    void TearDown() override
    {
        ParameterCatalogue.Clear();
        CatalogueLoaded = false;
        ParameterMenuMap.Clear();
        MenuMapLoaded = false;
        Global_var.Reset();
    }

    const TParameterColumnTexts columns{"Menu", "No.", "Name", "Value", "Meaning"};
};

} // namespace

TEST_F(PrintoutLayout, PageHeaderAndGeometry)
{
    TRecordingCanvas canvas;
    TPrintJob job(canvas, Header());
    EXPECT_EQ(job.Left(), Left);
    EXPECT_EQ(job.BodyTop(), BodyTop);
    EXPECT_EQ(job.BodyBottom(), 6733);
    EXPECT_EQ(job.LineHeight(), 100);
    job.PrintPageHeader();

    ASSERT_EQ(canvas.lines.size(), 2u);
    EXPECT_EQ(canvas.lines[0].X1, 100);
    EXPECT_EQ(canvas.lines[0].Y1, 50);
    EXPECT_EQ(canvas.lines[0].X2, 4860);
    const std::vector<TRecordedText> texts = canvas.OnPage(1);
    ASSERT_EQ(texts.size(), 8u);
    // Labels padded on the left to the longest; values after the first label and two blanks.
    EXPECT_EQ(texts[0].Text, "       Firma:");
    EXPECT_EQ(texts[0].X, Left);
    EXPECT_EQ(texts[0].Y, 118);
    EXPECT_TRUE(texts[0].Font.Bold);
    EXPECT_EQ(texts[0].Font.Size, 12);
    EXPECT_EQ(texts[1].Text, "ACME");
    EXPECT_EQ(texts[1].X, Left + 15 * 72);
    EXPECT_EQ(texts[2].Text, "07-12-2026");
    EXPECT_EQ(texts[2].X, 4860 - 10 * 72);
    EXPECT_EQ(texts[3].Text, "        Type:");
    EXPECT_EQ(texts[3].Y, 238);
    EXPECT_EQ(texts[6].Text, "SN 17");
    EXPECT_EQ(texts[7].Text, "P   1"); // page word, a blank and "%3d"
    EXPECT_EQ(texts[7].X, 4860 - 5 * 72);
    EXPECT_EQ(canvas.lines[1].Y1, 118 + 3 * 120);
    EXPECT_EQ(job.Y(), BodyTop);
}

TEST_F(PrintoutLayout, MenusHeadingsLinesAndFormats)
{
    ParameterValues[12] = -5;
    ParameterValues[13] = 2; // no such option
    ParameterValues[14] = 42;
    const std::vector<std::string> tree{"KM40 parameters", "\tGeneral", "\t\tFirst", "\t\tSecond  \t",
                                        "No tab here", "\tOutputs"};
    TRecordingCanvas canvas;
    TPrintJob job(canvas, Header());
    PrintParameters(job, columns, &tree);

    std::vector<std::string> body;
    for (const TRecordedText& t : canvas.OnPage(1))
        if (t.Y >= BodyTop)
            body.push_back(t.Text);
    const std::string header = ParameterColumnHeader(columns);
    EXPECT_EQ(header, "Menu     No.   Name                                        Value   Meaning           ");
    const std::vector<std::string> expected{
        "KM40 parameters",
        "General > First",
        header,
        "1.1.1    012   Twelve                                      -0,05   ",
        "1.1.2    013   Choice                                          2   ########",
        "1.1.3    014   Plain                                          42   ",
        "General > Second",
        header,
        "1.2.1    014   Plain                                          42   ",
        "1.2.3    012   Twelve                                      -0,05   ",
        "Outputs",
        header,
        "2.0.1    013   Choice                                          2   ########",
    };
    EXPECT_EQ(body, expected);

    // Fonts and the empty line after each block.
    const TRecordedText* title = canvas.Find("KM40 parameters");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->Font.Size, 14);
    const TRecordedText* heading = canvas.Find("General > Second");
    ASSERT_TRUE(heading);
    EXPECT_EQ(heading->Y, BodyTop + 140 + 120 + 4 * 100 + 100);
    ParameterValues[13] = 1;
    EXPECT_EQ(ParameterPrintLine(200, 1, 13), "2.0.1    013   Choice                                          1   on");
}

TEST_F(PrintoutLayout, AHeadingWithoutRoomMovesToTheNextPageWithItsHeader)
{
    const std::vector<std::string> tree{"Title", "\tGeneral", "\t\tFirst", "\t\tSecond"};
    TRecordingCanvas canvas;
    // Room for the title, the first block (heading, header, 3 lines, empty line) and less than two
    // heading lines more.
    canvas.pageHeight = 283 + BodyTop + 140 + 120 + 5 * 100 + 239;
    TPrintJob job(canvas, Header());
    PrintParameters(job, columns, &tree);
    const TRecordedText* second = canvas.Find("General > Second");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Page, 2);
    EXPECT_EQ(second->Y, BodyTop);
    EXPECT_EQ(job.Page(), 2);
    int headers = 0;
    for (const TRecordedText& t : canvas.texts)
        headers += t.Text == "P   2" ? 1 : 0;
    EXPECT_EQ(headers, 1);

    // One pixel more and it stays on page 1.
    canvas = TRecordingCanvas{};
    canvas.pageHeight = 283 + BodyTop + 140 + 120 + 5 * 100 + 240;
    TPrintJob roomy(canvas, Header());
    PrintParameters(roomy, columns, &tree);
    EXPECT_EQ(canvas.Find("General > Second")->Page, 1);
}

TEST_F(PrintoutLayout, WithoutTreeOrCatalogueOnlyTheHeader)
{
    TRecordingCanvas canvas;
    TPrintJob job(canvas, Header());
    PrintParameters(job, columns, nullptr);
    EXPECT_EQ(canvas.texts.size(), 8u);

    CatalogueLoaded = false;
    const std::vector<std::string> tree{"Title", "\tGeneral", "\t\tFirst"};
    TRecordingCanvas titleOnly;
    TPrintJob job2(titleOnly, Header());
    PrintParameters(job2, columns, &tree);
    EXPECT_EQ(titleOnly.texts.size(), 9u);
    EXPECT_EQ(titleOnly.texts.back().Text, "Title");
}

TEST_F(PrintoutLayout, FortyEightSetpointsOnOnePage)
{
    for (int k = 1; k <= SetpointCount; ++k)
        SetpointValues[static_cast<std::size_t>(k)] = k * 1000;
    SetpointValues[7] = -1500;
    SetpointValues[8] = 12345;
    TRecordingCanvas canvas;
    TPrintJob job(canvas, Header());
    PrintSetpoints(job, "Setpoints", "No.", "Value");
    EXPECT_EQ(canvas.page, 1);
    std::vector<TRecordedText> body;
    for (const TRecordedText& t : canvas.OnPage(1))
        if (t.Y >= BodyTop)
            body.push_back(t);
    ASSERT_EQ(body.size(), 50u);
    EXPECT_EQ(body[0].Text, "Setpoints");
    const std::string blanks(8, ' ');
    EXPECT_EQ(body[1].Text, "No." + blanks.substr(2) + "       Value");
    EXPECT_TRUE(body[1].Font.Bold);
    EXPECT_EQ(body[2].Text, "1" + blanks + "        1000");
    // "7", eight blanks, then -1500 right-aligned in 12; values never carry decimals.
    EXPECT_EQ(body[8].Text, "7" + blanks + "       -1500");
    EXPECT_EQ(body[9].Text, "8" + blanks + "       12345");
    EXPECT_EQ(body[49].Text, "48" + blanks.substr(1) + "       48000");
    EXPECT_EQ(body[49].Y, BodyTop + 140 + 100 + 47 * 100);
    EXPECT_EQ(SetpointColumnHeader("", ""), std::string(21, ' '));
}

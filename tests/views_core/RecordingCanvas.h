#pragma once
// A print canvas that draws nothing and records everything, with simple fixed metrics: an A4 page
// at 600 pixels per inch, a text height of 10 pixels per point and every character 6 pixels per
// point wide (a fixed-pitch font, as the printouts use).

#include "views/core/PrintCanvas.h"

#include <string>
#include <vector>

struct TRecordedText {
    int Page;
    int X;
    int Y;
    std::string Text;
    TPrintFont Font;
};

struct TRecordedLine {
    int Page;
    int X1, Y1, X2, Y2;
};

class TRecordingCanvas : public TPrintCanvas {
public:
    int PageWidth() const override { return 4960; }
    int PageHeight() const override { return pageHeight; }
    int PixelsPerInch() const override { return 600; }
    void SetFont(const TPrintFont& Font) override { font_ = Font; }
    int TextHeight(const std::string&) override { return font_.Size * 10; }
    int TextWidth(const std::string& Text) override { return static_cast<int>(Text.size()) * font_.Size * 6; }
    void TextOut(int X, int Y, const std::string& Text) override { texts.push_back({page, X, Y, Text, font_}); }
    void Line(int X1, int Y1, int X2, int Y2) override { lines.push_back({page, X1, Y1, X2, Y2}); }
    void NewPage() override { ++page; }

    // The recorded texts of one page, in order.
    std::vector<TRecordedText> OnPage(int Page) const
    {
        std::vector<TRecordedText> result;
        for (const TRecordedText& t : texts)
            if (t.Page == Page)
                result.push_back(t);
        return result;
    }
    const TRecordedText* Find(const std::string& Text) const
    {
        for (const TRecordedText& t : texts)
            if (t.Text == Text)
                return &t;
        return nullptr;
    }

    int pageHeight = 7016;
    int page = 1;
    std::vector<TRecordedText> texts;
    std::vector<TRecordedLine> lines;

private:
    TPrintFont font_;
};

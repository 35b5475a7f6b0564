#include "views/core/PrintPage.h"

#include <algorithm>
#include <cstdio>

namespace {

// The rules and the right-aligned texts keep 100 printer pixels from the page edges.
constexpr int EdgeDistance = 100;
constexpr int TopRuleY = 50;

} // namespace

std::string PadRight(std::string Text, std::size_t Width)
{
    if (Text.size() < Width)
        Text.append(Width - Text.size(), ' ');
    return Text;
}

std::string PadLeft(std::string Text, std::size_t Width)
{
    if (Text.size() < Width)
        Text.insert(0, Width - Text.size(), ' ');
    return Text;
}

TPrintJob::TPrintJob(TPrintCanvas& Canvas, TPrintHeader Header)
    : canvas_(Canvas)
    , header_(std::move(Header))
{
    ppcm_ = canvas_.PixelsPerInch() / 2.54;
    left_ = static_cast<int>(canvas_.PageWidth() / 2.0 - 8.9 * ppcm_);
    top_ = static_cast<int>(2.6 * ppcm_);
    bottom_ = canvas_.PageHeight() - static_cast<int>(1.2 * ppcm_);
    lineHeight_ = HeightOfA(LineFont);
}

int TPrintJob::HeightOfA(const TPrintFont& Font)
{
    canvas_.SetFont(Font);
    return canvas_.TextHeight("A");
}

void TPrintJob::PrintPageHeader()
{
    canvas_.SetFont(HeaderFont);
    const int width = canvas_.PageWidth();
    int y = static_cast<int>(ppcm_ / 2);
    canvas_.Line(EdgeDistance, TopRuleY, width - EdgeDistance, TopRuleY);

    std::size_t longest = 0;
    for (const std::string& label : header_.Labels)
        longest = std::max(longest, label.size());
    std::array<std::string, 3> labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = PadLeft(header_.Labels[i], longest);
    const int valueX = left_ + canvas_.TextWidth(labels[0] + "  ");
    const int rowHeight = canvas_.TextHeight("A");

    char page[16];
    std::snprintf(page, sizeof page, "%3d", page_);
    const std::string pageText = header_.PageWord + " " + page;
    const std::array<std::string, 3> values{header_.Firma, header_.Type, header_.Sn};
    for (std::size_t row = 0; row < 3; ++row) {
        canvas_.TextOut(left_, y, labels[row]);
        canvas_.TextOut(valueX, y, values[row]);
        const std::string* right = row == 0 ? &header_.Date : row == 2 ? &pageText : nullptr;
        if (right)
            canvas_.TextOut(width - EdgeDistance - canvas_.TextWidth(*right), y, *right);
        y += rowHeight;
    }
    canvas_.Line(EdgeDistance, y, width - EdgeDistance, y);
    y_ = top_;
}

void TPrintJob::MakeRoom(int Needed)
{
    if (y_ + Needed <= bottom_)
        return;
    canvas_.NewPage();
    ++page_;
    PrintPageHeader();
}

void TPrintJob::Print(const TPrintFont& Font, const std::string& Text, int Advance)
{
    canvas_.SetFont(Font);
    canvas_.TextOut(left_, y_, Text);
    y_ += Advance;
}

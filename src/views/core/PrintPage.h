#pragma once
// The page geometry and page header the parameter and setpoint printouts share: a text block
// 8.9 cm left of the page centre, a body from 2.6 cm below the top to 1.2 cm above the bottom,
// and on every page a header with the customer, machine type, serial number, date and page.

#include <array>
#include <string>

#include "views/core/PrintCanvas.h"

struct TPrintHeader {
    std::array<std::string, 3> Labels; // the window's captions of Firma, Type and serial number
    std::string Firma;
    std::string Type;
    std::string Sn;
    std::string PageWord; // "TekstPagina"
    std::string Date;     // today, in the short date format
};

inline constexpr TPrintFont HeaderFont{12, true};
inline constexpr TPrintFont TitleFont{14, true};
inline constexpr TPrintFont ColumnHeaderFont{10, true};
inline constexpr TPrintFont LineFont{10, false};

// One print job on a canvas: the geometry measured when it starts, the current line and page.
class TPrintJob {
public:
    TPrintJob(TPrintCanvas& Canvas, TPrintHeader Header);

    TPrintCanvas& Canvas() { return canvas_; }
    double Ppcm() const { return ppcm_; }
    int Left() const { return left_; }
    int BodyTop() const { return top_; }
    int BodyBottom() const { return bottom_; }
    int LineHeight() const { return lineHeight_; }
    int Page() const { return page_; }
    int Y() const { return y_; }

    // The page header of the current page; then the body starts at its top.
    void PrintPageHeader();
    // Starts a new page first when Needed pixels from the current line would pass the body's
    // bottom.
    void MakeRoom(int Needed);
    // Text in Font at the left margin of the current line; the line moves down by Advance.
    void Print(const TPrintFont& Font, const std::string& Text, int Advance);
    // The height of "A" in Font.
    int HeightOfA(const TPrintFont& Font);
    void Skip(int Pixels) { y_ += Pixels; }

private:
    TPrintCanvas& canvas_;
    TPrintHeader header_;
    double ppcm_ = 0;
    int left_ = 0;
    int top_ = 0;
    int bottom_ = 0;
    int lineHeight_ = 0;
    int page_ = 1;
    int y_ = 0;
};

// Text padded with blanks on the right (Left) or left (Right) to at least Width characters.
std::string PadRight(std::string Text, std::size_t Width);
std::string PadLeft(std::string Text, std::size_t Width);

#pragma once
// Where a printout draws: a page of printer pixels with text in a font of a given name, point size
// and weight. The printer, a PDF file and the tests' recording canvas implement it, so the
// printouts are laid out by one piece of code. Text is single-byte (Latin-1), as the data files.

#include <string>

struct TPrintFont {
    int Size = 10; // points
    bool Bold = false;
};

class TPrintCanvas {
public:
    virtual ~TPrintCanvas() = default;

    virtual int PageWidth() const = 0;  // printer pixels
    virtual int PageHeight() const = 0;
    virtual int PixelsPerInch() const = 0;

    // Every text is set in the fixed-pitch printing font ("Courier New" or its nearest).
    virtual void SetFont(const TPrintFont& Font) = 0;
    virtual int TextHeight(const std::string& Text) = 0; // in the current font
    virtual int TextWidth(const std::string& Text) = 0;
    // Text with its top-left corner at (X, Y).
    virtual void TextOut(int X, int Y, const std::string& Text) = 0;
    virtual void Line(int X1, int Y1, int X2, int Y2) = 0;
    // Ends the current page and starts the next.
    virtual void NewPage() = 0;
};

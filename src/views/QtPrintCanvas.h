#pragma once
// The printouts' canvas on a Qt paint device with pages: the printer, or a PDF writer. Texts are
// set in "Courier New", or the fixed-pitch font the system puts in its place.

#include <QPainter>

#include "views/core/PrintCanvas.h"

class QPagedPaintDevice;

class TQtPrintCanvas : public TPrintCanvas {
public:
    // Painter is active on Device.
    TQtPrintCanvas(QPainter& Painter, QPagedPaintDevice& Device);

    int PageWidth() const override;
    int PageHeight() const override;
    int PixelsPerInch() const override;
    void SetFont(const TPrintFont& Font) override;
    int TextHeight(const std::string& Text) override;
    int TextWidth(const std::string& Text) override;
    void TextOut(int X, int Y, const std::string& Text) override;
    void Line(int X1, int Y1, int X2, int Y2) override;
    void NewPage() override;

private:
    QPainter& painter_;
    QPagedPaintDevice& device_;
};

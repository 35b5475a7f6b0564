#include "views/QtPrintCanvas.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>

#include "params/Latin1Text.h"

TQtPrintCanvas::TQtPrintCanvas(QPainter& Painter, QPagedPaintDevice& Device)
    : painter_(Painter)
    , device_(Device)
{
    SetFont(TPrintFont{});
}

int TQtPrintCanvas::PageWidth() const
{
    return device_.width();
}

int TQtPrintCanvas::PageHeight() const
{
    return device_.height();
}

int TQtPrintCanvas::PixelsPerInch() const
{
    return device_.logicalDpiY();
}

void TQtPrintCanvas::SetFont(const TPrintFont& Font)
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(Font.Size);
    font.setBold(Font.Bold);
    painter_.setFont(font);
}

int TQtPrintCanvas::TextHeight(const std::string&)
{
    return painter_.fontMetrics().height();
}

int TQtPrintCanvas::TextWidth(const std::string& Text)
{
    return painter_.fontMetrics().horizontalAdvance(Latin1(Text));
}

void TQtPrintCanvas::TextOut(int X, int Y, const std::string& Text)
{
    painter_.drawText(QPoint(X, Y + painter_.fontMetrics().ascent()), Latin1(Text));
}

void TQtPrintCanvas::Line(int X1, int Y1, int X2, int Y2)
{
    painter_.drawLine(X1, Y1, X2, Y2);
}

void TQtPrintCanvas::NewPage()
{
    device_.newPage();
}

#include "app/RtfTextDocument.h"

#include <QTextCursor>
#include <QTextDocument>

void FillTextDocument(QTextDocument& Document, const TRtfDocument& Rtf)
{
    Document.clear();
    QTextCursor cursor(&Document);
    bool first = true;
    for (const TRtfParagraph& paragraph : Rtf.Paragraphs) {
        if (!first)
            cursor.insertBlock();
        first = false;
        for (const TRtfRun& run : paragraph.Runs) {
            QTextCharFormat format;
            format.setFontWeight(run.Bold ? QFont::Bold : QFont::Normal);
            format.setFontItalic(run.Italic);
            format.setFontUnderline(run.Underline);
            format.setFontPointSize(run.HalfPoints / 2.0);
            if (run.Color > 0 && static_cast<std::size_t>(run.Color) < Rtf.Colors.size()) {
                const TRtfColor& color = Rtf.Colors[static_cast<std::size_t>(run.Color)];
                if (!color.Auto)
                    format.setForeground(QColor(color.Red, color.Green, color.Blue));
            }
            cursor.insertText(QString::fromUtf8(run.Text.data(), static_cast<qsizetype>(run.Text.size())), format);
        }
    }
}

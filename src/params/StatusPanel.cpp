#include "params/StatusPanel.h"

#include <QLabel>
#include <QPalette>

#include "params/Latin1Text.h"

QString StatusPanelText(const TPanelText& Panel, std::span<const std::string> HeldTexts)
{
    return Latin1(ComposePanelText(Panel, [HeldTexts](int Key) {
        return Key >= 0 && static_cast<std::size_t>(Key) < HeldTexts.size() ? HeldTexts[static_cast<std::size_t>(Key)]
                                                                             : std::string();
    }));
}

void ShowStatusPanel(QLabel& Panel, const QString& Text, bool Red)
{
    Panel.setText(Text);
    QPalette palette = Panel.palette();
    const QColor normal = Panel.parentWidget() ? Panel.parentWidget()->palette().color(QPalette::WindowText)
                                               : QPalette().color(QPalette::WindowText);
    palette.setColor(QPalette::WindowText, Red ? QColor(Qt::red) : normal);
    Panel.setPalette(palette);
}

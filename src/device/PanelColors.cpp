#include "device/PanelColors.h"

#include <QPalette>
#include <QWidget>

namespace device {

QColor NeutralColor(const QWidget* widget)
{
    return widget->palette().color(QPalette::Button);
}

void SetBackground(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setAutoFillBackground(true);
    widget->setPalette(palette);
}

QColor Background(const QWidget* widget)
{
    return widget->palette().color(QPalette::Window);
}

void SetTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QColor TextColor(const QWidget* widget)
{
    return widget->palette().color(QPalette::WindowText);
}

} // namespace device

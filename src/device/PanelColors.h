#pragma once
// Colours that carry meaning in the main window: a polled value panel is light yellow, an active
// input or output lamp blue and an inactive one white; anything not polled has the button face.
#include <QColor>

class QWidget;

namespace device {

inline const QColor PolledColor{255, 255, 151};
inline const QColor LampOnColor{0, 0, 255};
inline const QColor LampOffColor{255, 255, 255};

// The window's button-face colour.
QColor NeutralColor(const QWidget* widget);

// Fills the widget's background with the colour (lamps, value panels).
void SetBackground(QWidget* widget, const QColor& color);
QColor Background(const QWidget* widget);

void SetTextColor(QWidget* widget, const QColor& color);
QColor TextColor(const QWidget* widget);

} // namespace device

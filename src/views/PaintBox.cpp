#include "views/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>

TPaintBox::TPaintBox(const QString& Name, QSize Size, QWidget* Parent)
    : QWidget(Parent), picture_(Size, QImage::Format_RGB32)
{
    setObjectName(Name);
    setFixedSize(Size);
    setMouseTracking(true);
    picture_.fill(Qt::white);
    // The picture covers the whole widget: nothing underneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void TPaintBox::mouseMoveEvent(QMouseEvent* Event)
{
    emit MouseMoved(Event->position().toPoint());
}

void TPaintBox::mousePressEvent(QMouseEvent* Event)
{
    emit MouseMoved(Event->position().toPoint());
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        emit Clicked();
}

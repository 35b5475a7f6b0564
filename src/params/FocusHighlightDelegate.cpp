#include "params/FocusHighlightDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>

TFocusHighlightDelegate::TFocusHighlightDelegate(QAbstractItemView* View)
    : QStyledItemDelegate(View)
    , view_(View)
{
    // Gaining or losing the focus changes how every cell looks.
    View->installEventFilter(this);
}

bool TFocusHighlightDelegate::ViewHasFocus() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == view_ || view_->isAncestorOf(focus));
}

bool TFocusHighlightDelegate::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == view_) {
        if (Event->type() == QEvent::FocusIn || Event->type() == QEvent::FocusOut)
            view_->viewport()->update();
        return false; // the view itself is no editor of this delegate
    }
    return QStyledItemDelegate::eventFilter(Watched, Event);
}

void TFocusHighlightDelegate::initStyleOption(QStyleOptionViewItem* Option, const QModelIndex& Index) const
{
    QStyledItemDelegate::initStyleOption(Option, Index);
    if (rightAligned_.contains(Index.column()))
        Option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    Option->state &= ~QStyle::State_HasFocus; // no focus frame: the colours say it
    if (MarkedRow && MarkedRow(Index.row()))
        Option->backgroundBrush = DifferenceColor;
    if (!ViewHasFocus()) {
        Option->state &= ~QStyle::State_Selected;
        return;
    }
    if (Option->state & QStyle::State_Selected) {
        Option->palette.setColor(QPalette::Active, QPalette::HighlightedText, Qt::white);
        Option->palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    } else if (marked_.contains(Index.column())) {
        Option->backgroundBrush = MarkedCellColor;
    }
}

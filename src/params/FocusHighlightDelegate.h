#pragma once
// How the editors draw their grids: the selected cell or row stands out in the highlight colours
// with white text only while the grid (or its in-place editor) has the keyboard focus; without
// the focus nothing is highlighted. Chosen columns are drawn right-aligned, and chosen columns
// are marked light yellow while the grid has the focus.

#include <QSet>
#include <QStyledItemDelegate>

#include <functional>

class QAbstractItemView;

// Light yellow of the polled panels and the setpoint numbers.
inline const QColor MarkedCellColor(255, 255, 151);
// Light orange of a row whose value differs from a compared file; dark text stays readable on it.
inline const QColor DifferenceColor(255, 205, 150);

class TFocusHighlightDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TFocusHighlightDelegate(QAbstractItemView* View);

    void SetRightAlignedColumns(QSet<int> Columns) { rightAligned_ = std::move(Columns); }
    void SetMarkedColumns(QSet<int> Columns) { marked_ = std::move(Columns); }
    // Rows to show in the difference colour (unless drawn as the selected row).
    std::function<bool(int Row)> MarkedRow;

    // The view or a widget inside it (its in-place editor) has the keyboard focus.
    bool ViewHasFocus() const;

protected:
    void initStyleOption(QStyleOptionViewItem* Option, const QModelIndex& Index) const override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QAbstractItemView* view_;
    QSet<int> rightAligned_;
    QSet<int> marked_;
};

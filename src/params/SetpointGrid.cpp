#include "params/SetpointGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "params/FilteredLineEdit.h"

namespace {

bool IsEnter(int Key)
{
    return Key == Qt::Key_Return || Key == Qt::Key_Enter;
}

// The in-place editor: the grid's key filter on every character, Enter and Escape handed to the
// grid's window, and no key that would leave the cell.
class TSetpointCellDelegate : public TFocusHighlightDelegate {
public:
    explicit TSetpointCellDelegate(TSetpointGrid* Grid)
        : TFocusHighlightDelegate(Grid)
        , grid_(Grid)
    {
    }

    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* editor = new TFilteredLineEdit(Parent);
        editor->setObjectName(QStringLiteral("InplaceEditor"));
        editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        editor->setFrame(false);
        editor->setAccessibleName(grid_->accessibleName());
        TSetpointGrid* grid = grid_;
        editor->SetKeyFilter([grid](const TEntryField& Field, char Key) {
            // The key replaces the selection: the rules look at what stays of the text.
            std::string remaining = Field.Text;
            if (Field.SelectionLength > 0)
                remaining.erase(static_cast<std::size_t>(Field.Cursor), static_cast<std::size_t>(Field.SelectionLength));
            TEntryKeyResult result;
            const char typed = grid->KeyFilter ? grid->KeyFilter(remaining, Key) : Key;
            if (typed != 0) {
                result.Action = TEntryKeyResult::TAction::Insert;
                result.Key = typed;
            }
            return result;
        });
        return editor;
    }

    void setEditorData(QWidget* Editor, const QModelIndex& Index) const override
    {
        auto* edit = static_cast<QLineEdit*>(Editor);
        edit->setText(Index.data().toString());
        edit->selectAll();
    }

    // The window stores accepted values itself; nothing is written back behind its back.
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        auto* editor = qobject_cast<QLineEdit*>(Watched);
        if (!editor || Watched == grid_)
            return TFocusHighlightDelegate::eventFilter(Watched, Event);
        if (Event->type() == QEvent::FocusOut)
            return false; // the edit stays open until Enter or Escape
        if (Event->type() != QEvent::KeyPress && Event->type() != QEvent::ShortcutOverride)
            return TFocusHighlightDelegate::eventFilter(Watched, Event);
        auto* key = static_cast<QKeyEvent*>(Event);
        if (Event->type() == QEvent::ShortcutOverride) {
            // Enter and Escape belong to the cell, not to the window's shortcuts.
            if (IsEnter(key->key()) || key->key() == Qt::Key_Escape) {
                Event->accept();
                return true;
            }
            return false;
        }
        if (grid_->OnKey)
            grid_->OnKey(key->key());
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (grid_->OnEnter)
                grid_->OnEnter();
            return true;
        case Qt::Key_Escape:
            if (grid_->OnEscape)
                grid_->OnEscape();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return true;
        case Qt::Key_Left:
            return editor->cursorPosition() == 0 && !editor->hasSelectedText();
        case Qt::Key_Right:
            return editor->cursorPosition() == editor->text().size() && !editor->hasSelectedText();
        default:
            return false;
        }
    }

private:
    TSetpointGrid* grid_;
};

} // namespace

TSetpointGrid::TSetpointGrid(QWidget* Parent)
    : QTableWidget(RowCount, ColumnCount, Parent)
{
    delegate_ = new TSetpointCellDelegate(this);
    delegate_->SetRightAlignedColumns({0, 1, 2, 3, 4});
    delegate_->SetMarkedColumns({0, 3});
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int row = 0; row < RowCount; ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem;
            item->setFlags(IsValueColumn(column) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                                 : Qt::ItemIsEnabled);
            setItem(row, column, item);
        }
    }
}

bool TSetpointGrid::Editing() const
{
    return state() == QAbstractItemView::EditingState && CellEditor();
}

QLineEdit* TSetpointGrid::CellEditor() const
{
    return qobject_cast<QLineEdit*>(indexWidget(currentIndex()));
}

void TSetpointGrid::OpenCellEditor()
{
    if (!Editing())
        edit(currentIndex());
}

void TSetpointGrid::CloseCellEditor()
{
    if (QLineEdit* editor = CellEditor())
        closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TSetpointGrid::MayGoTo(const QModelIndex& Index) const
{
    if (!Index.isValid() || !IsValueColumn(Index.column()))
        return false;
    return Index == currentIndex() || !(SelectionLocked && SelectionLocked());
}

QModelIndex TSetpointGrid::moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers)
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, FirstValueColumn);
    int row = current.row();
    int column = current.column();
    switch (Action) {
    case MoveLeft:
        column = FirstValueColumn;
        break;
    case MoveRight:
        column = SecondValueColumn;
        break;
    case MoveHome:
        column = FirstValueColumn;
        if (Modifiers & Qt::ControlModifier)
            row = 0;
        break;
    case MoveEnd:
        column = SecondValueColumn;
        if (Modifiers & Qt::ControlModifier)
            row = RowCount - 1;
        break;
    case MoveUp:
    case MoveDown:
    case MovePageUp:
    case MovePageDown:
        row = QTableWidget::moveCursor(Action, Modifiers).row();
        if (row < 0)
            row = current.row();
        break;
    default:
        break;
    }
    const QModelIndex target = model()->index(row, column);
    return MayGoTo(target) ? target : current;
}

void TSetpointGrid::keyPressEvent(QKeyEvent* Event)
{
    if (OnKey)
        OnKey(Event->key());
    if (IsEnter(Event->key())) {
        if (OnEnter)
            OnEnter();
        Event->accept();
        return;
    }
    if (Event->key() == Qt::Key_Escape) {
        // The grid's Escape restores the cell; it does not close the window.
        if (OnEscape)
            OnEscape();
        Event->accept();
        return;
    }
    QTableWidget::keyPressEvent(Event);
}

void TSetpointGrid::mousePressEvent(QMouseEvent* Event)
{
    if (!MayGoTo(indexAt(Event->position().toPoint()))) {
        Event->accept();
        return;
    }
    QTableWidget::mousePressEvent(Event);
}

void TSetpointGrid::mouseDoubleClickEvent(QMouseEvent* Event)
{
    if (!MayGoTo(indexAt(Event->position().toPoint()))) {
        Event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(Event);
}

void TSetpointGrid::mouseMoveEvent(QMouseEvent* Event)
{
    // Dragging would carry the selection over cells that cannot be selected.
    if (Event->buttons() != Qt::NoButton) {
        Event->accept();
        return;
    }
    QTableWidget::mouseMoveEvent(Event);
}

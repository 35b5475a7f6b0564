#pragma once
// The setpoint editor's grid: 24 rows of two number columns (0 and 3, setpoints 1..24 and
// 25..48), their value columns (1 and 4) and an empty spacer (2). Only the value cells can be
// selected. Values are edited in place in an entry field that takes only what a setpoint can
// hold; Enter and Escape go to the editor window, which decides what is stored. While an edit is
// open and not ended by Enter, no other cell can be selected, so an edit is left by Enter or
// Escape only.

#include <QTableWidget>

#include <functional>

#include "params/FocusHighlightDelegate.h"

class QLineEdit;

class TSetpointGrid : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int RowCount = 24;
    static constexpr int ColumnCount = 5;
    static constexpr int FirstValueColumn = 1;
    static constexpr int SecondValueColumn = 4;

    explicit TSetpointGrid(QWidget* Parent = nullptr);

    // Every key the grid or its in-place editor receives, before it acts (Enter, Escape and arrows
    // included); the window records it.
    std::function<void(int Key)> OnKey;
    // Enter and Escape, in the grid or in the in-place editor.
    std::function<void()> OnEnter;
    std::function<void()> OnEscape;
    // Whether the cell selection is held where it is.
    std::function<bool()> SelectionLocked;
    // Filters every character typed or pasted into the in-place editor (its text as it is).
    std::function<char(const std::string& CellText, char Key)> KeyFilter;

    static bool IsValueColumn(int Column) { return Column == FirstValueColumn || Column == SecondValueColumn; }

    bool Editing() const;
    // The open in-place editor, or null.
    QLineEdit* CellEditor() const;
    void OpenCellEditor();
    void CloseCellEditor();
    bool HasFocusInside() const { return delegate_->ViewHasFocus(); }

protected:
    QModelIndex moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;

private:
    bool MayGoTo(const QModelIndex& Index) const;

    TFocusHighlightDelegate* delegate_;
};

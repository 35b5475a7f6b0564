#pragma once
// An entry field whose every character passes a key filter: typed keys, and also text that is
// pasted (keyboard, context menu, middle button), dropped or committed by an input method, which
// is fed through the filter one character at a time as if it were typed at the caret. So no way
// of putting text into the field gets round the filter.

#include <QLineEdit>

#include <functional>

#include "params/core/ParamEntry.h"

class TFilteredLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using TKeyFilter = std::function<TEntryKeyResult(const TEntryField& Field, char Key)>;

    explicit TFilteredLineEdit(QWidget* Parent = nullptr);

    // Without a filter every key is taken as typed.
    void SetKeyFilter(TKeyFilter Filter) { filter_ = std::move(Filter); }

    // Types Key (backspace as '\b') through the filter; false when the filter dropped it.
    bool TypeKey(char Key);
    // Types each character of Text through the filter; characters beyond Latin-1 and control
    // characters are dropped.
    void TypeText(const QString& Text);

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void inputMethodEvent(QInputMethodEvent* Event) override;

private:
    TEntryField FieldState() const;
    void PasteFromClipboard(bool Selection);

    TKeyFilter filter_;
};

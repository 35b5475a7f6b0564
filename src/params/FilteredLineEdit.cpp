#include "params/FilteredLineEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

TFilteredLineEdit::TFilteredLineEdit(QWidget* Parent)
    : QLineEdit(Parent)
{
}

TEntryField TFilteredLineEdit::FieldState() const
{
    TEntryField field;
    field.Text = text().toLatin1().toStdString();
    field.SelectionLength = static_cast<int>(selectedText().size());
    field.Cursor = field.SelectionLength > 0 ? selectionStart() : cursorPosition();
    return field;
}

bool TFilteredLineEdit::TypeKey(char Key)
{
    const TEntryKeyResult result =
        filter_ ? filter_(FieldState(), Key) : TEntryKeyResult{TEntryKeyResult::TAction::Insert, Key, {}, 0};
    switch (result.Action) {
    case TEntryKeyResult::TAction::Reject:
        return false;
    case TEntryKeyResult::TAction::Insert:
        if (result.Key == BackspaceKey)
            backspace();
        else
            insert(QString(QLatin1Char(result.Key)));
        return true;
    case TEntryKeyResult::TAction::ReplaceText:
        setText(QString::fromLatin1(result.Text.data(), static_cast<qsizetype>(result.Text.size())));
        setCursorPosition(result.Cursor);
        return true;
    }
    return false;
}

void TFilteredLineEdit::TypeText(const QString& Text)
{
    for (const QChar c : Text) {
        if (c.unicode() < 0x20 || c.unicode() > 0xFF)
            continue;
        TypeKey(static_cast<char>(c.unicode()));
    }
}

void TFilteredLineEdit::keyPressEvent(QKeyEvent* Event)
{
    if (Event->matches(QKeySequence::Paste)) {
        PasteFromClipboard(false);
        Event->accept();
        return;
    }
    if (Event->key() == Qt::Key_Backspace && !(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        TypeKey(BackspaceKey);
        Event->accept();
        return;
    }
    const QString typed = Event->text();
    const bool character = typed.size() == 1 && typed[0].unicode() >= 0x20 && typed[0].unicode() != 0x7F &&
                           !(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (character) {
        if (typed[0].unicode() <= 0xFF)
            TypeKey(static_cast<char>(typed[0].unicode()));
        Event->accept();
        return;
    }
    // Caret movement, selection, delete, copy, cut, undo: nothing new enters the field.
    QLineEdit::keyPressEvent(Event);
}

void TFilteredLineEdit::contextMenuEvent(QContextMenuEvent* Event)
{
    QMenu* menu = createStandardContextMenu();
    if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, [this] { PasteFromClipboard(false); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(Event->globalPos());
}

void TFilteredLineEdit::dropEvent(QDropEvent* Event)
{
    if (isReadOnly() || !Event->mimeData()->hasText()) {
        Event->ignore();
        return;
    }
    deselect();
    setCursorPosition(cursorPositionAt(Event->position().toPoint()));
    TypeText(Event->mimeData()->text());
    Event->setDropAction(Qt::CopyAction);
    Event->accept();
    setFocus();
}

void TFilteredLineEdit::mouseReleaseEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection()) {
        if (!isReadOnly()) {
            deselect();
            setCursorPosition(cursorPositionAt(Event->position().toPoint()));
            PasteFromClipboard(true);
        }
        Event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(Event);
}

void TFilteredLineEdit::inputMethodEvent(QInputMethodEvent* Event)
{
    // Only the committed text counts, and it goes through the filter like typing.
    if (!isReadOnly())
        TypeText(Event->commitString());
    Event->accept();
}

void TFilteredLineEdit::PasteFromClipboard(bool Selection)
{
    if (isReadOnly())
        return;
    TypeText(QApplication::clipboard()->text(Selection ? QClipboard::Selection : QClipboard::Clipboard));
}

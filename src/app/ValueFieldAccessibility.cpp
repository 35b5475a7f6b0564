#include "app/ValueFieldAccessibility.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QTextDocumentFragment>

namespace {

// Every label, so that a label whose interface was made before it got its name (Qt makes them as
// soon as a screen reader listens, while the windows are built) still reads right once named.
// A value field is a label with a name: an accessible name of its own, or the caption of a label
// that names it as its buddy. It reads its name, and what it shows as its value and its text
// (read-only: no selection, no cursor). Any other label reads as Qt's own label does: its text
// (without the shortcut marker where it captions a field) is its name.
class LabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LabelAccessible(QLabel* Label) : QAccessibleWidget(Label, QAccessible::StaticText) {}

    QAccessible::Role role() const override
    {
        return label()->pixmap().isNull() ? QAccessible::StaticText : QAccessible::Graphic;
    }

    QString text(QAccessible::Text Kind) const override
    {
        if (Kind == QAccessible::Value)
            return named() ? shown() : QString();
        if (Kind == QAccessible::Name) {
            const QString name = fieldName();
            if (!name.isEmpty())
                return name;
            return label()->buddy() != nullptr ? withoutShortcutMarker(shown()) : shown();
        }
        return QAccessibleWidget::text(Kind);
    }

    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation Match) const override
    {
        auto found = QAccessibleWidget::relations(Match);
        if ((Match & QAccessible::Labelled) && label()->buddy() != nullptr)
            found.append({QAccessible::queryAccessibleInterface(label()->buddy()), QAccessible::Labelled});
        return found;
    }

    void* interface_cast(QAccessible::InterfaceType Type) override
    {
        if (Type == QAccessible::TextInterface && named())
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(Type);
    }

    void selection(int, int* StartOffset, int* EndOffset) const override { *StartOffset = *EndOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int StartOffset, int EndOffset) const override
    {
        return shown().mid(StartOffset, EndOffset - StartOffset);
    }
    int characterCount() const override { return static_cast<int>(shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int Offset, int* StartOffset, int* EndOffset) const override
    {
        *StartOffset = *EndOffset = Offset;
        return {};
    }

private:
    QLabel* label() const { return static_cast<QLabel*>(object()); }
    bool named() const { return !fieldName().isEmpty(); }

    // Its accessible name, else the caption beside it ("&Positie:" -> "Positie"), else nothing.
    QString fieldName() const
    {
        if (!label()->accessibleName().isEmpty())
            return label()->accessibleName();
        const QWidget* parent = label()->parentWidget();
        if (parent == nullptr)
            return {};
        for (const QObject* sibling : parent->children()) {
            const auto* caption = qobject_cast<const QLabel*>(sibling);
            if (caption != nullptr && caption != label() && caption->buddy() == label()) {
                QString name = withoutShortcutMarker(caption->text()).trimmed();
                if (name.endsWith(QLatin1Char(':')))
                    name.chop(1);
                return name.trimmed();
            }
        }
        return {};
    }

    // The text as read, rich text as plain.
    QString shown() const
    {
        const QString text = label()->text();
        const bool rich = label()->textFormat() == Qt::RichText ||
                          (label()->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        return rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    }

    // "&Positie:" -> "Positie:", "A && B" -> "A & B".
    static QString withoutShortcutMarker(const QString& Text)
    {
        QString out;
        for (qsizetype i = 0; i < Text.size(); ++i) {
            if (Text[i] == QLatin1Char('&') && i + 1 < Text.size())
                ++i;
            out += Text[i];
        }
        return out;
    }
};

QAccessibleInterface* labelFactory(const QString& ClassName, QObject* Object)
{
    // Asked before Qt's own factory, for the class itself and for every class derived from it.
    auto* label = qobject_cast<QLabel*>(Object);
    if (ClassName != QLatin1String("QLabel") || label == nullptr)
        return nullptr;
    return new LabelAccessible(label);
}

} // namespace

void InstallValueFieldAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(labelFactory);
        return true;
    }();
    (void)installed;
}

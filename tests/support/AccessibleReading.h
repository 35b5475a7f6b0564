#pragma once
// How a window's field reads to assistive technology: found by walking Qt's accessibility tree
// from the window (what the desktop bridge hands on to a screen reader), its name, its value and
// its text.
#include <QAccessible>
#include <QWidget>

struct AccessibleReading {
    bool inTree = false;
    QString name, value, text;
};

inline QAccessibleInterface* FindInAccessibleTree(QAccessibleInterface* node, const QObject* target, int depth = 0)
{
    if (node == nullptr || depth > 64)
        return nullptr;
    if (node->object() == target)
        return node;
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* found = FindInAccessibleTree(node->child(i), target, depth + 1))
            return found;
    return nullptr;
}

inline AccessibleReading ReadAccessible(QWidget* window, const QWidget* field)
{
    AccessibleReading reading;
    QAccessibleInterface* node = FindInAccessibleTree(QAccessible::queryAccessibleInterface(window), field);
    if (node == nullptr)
        return reading;
    reading.inTree = true;
    reading.name = node->text(QAccessible::Name);
    reading.value = node->text(QAccessible::Value);
    if (QAccessibleTextInterface* text = node->textInterface())
        reading.text = text->text(0, text->characterCount());
    return reading;
}

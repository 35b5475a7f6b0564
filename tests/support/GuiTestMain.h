#pragma once
// main() of a window test: a QApplication with the Qt hand-over installed as the serial
// library's dispatcher and the value fields' accessibility, as the program has them.
#include "app/ValueFieldAccessibility.h"
#include "comm/qt/QtUiDispatcher.h"

#include <QApplication>
#include <QTest>

#define KMT40_GUI_TEST_MAIN(TestClass)                                                             \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        InstallValueFieldAccessibility();                                                          \
        QtUiDispatcher dispatcher;                                                                 \
        UiDispatcher::SetDefault(&dispatcher);                                                     \
        TestClass test;                                                                            \
        const int result = QTest::qExec(&test, argc, argv);                                        \
        UiDispatcher::SetDefault(nullptr);                                                         \
        return result;                                                                             \
    }

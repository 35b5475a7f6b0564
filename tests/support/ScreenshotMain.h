#pragma once
// What the screenshot programs share: waiting for a condition while the event loop runs, and a
// main() that renders into the directory given as the first argument (default ".") with the Qt
// hand-over installed as the serial library's dispatcher. Render(outputDir) returns success.
#include "UnexpectedBoxes.h"
#include "comm/qt/QtUiDispatcher.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTest>

#include <functional>

inline bool WaitFor(const std::function<bool()>& Condition, int Ms = 20000)
{
    QDeadlineTimer deadline(Ms);
    while (!Condition() && !deadline.hasExpired())
        QTest::qWait(20);
    return Condition();
}

inline int ScreenshotMain(int argc, char** argv, const std::function<bool(const QString&)>& Render)
{
    QApplication app(argc, argv);
    QtUiDispatcher dispatcher;
    UiDispatcher::SetDefault(&dispatcher);
    const QString outputDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(outputDir);
    UnexpectedBoxes boxes;
    const bool ok = Render(outputDir);
    UiDispatcher::SetDefault(nullptr);
    return ok && boxes.Count() == 0 ? 0 : 1;
}

#pragma once
// An editor's Send asked for again while its write window's run is in its first exchange: Enter
// in the window, a double click on its Again, and the editor's Send once more (a second activation
// that reaches the editor while the window is open); then OK once the run is done. None of them
// may start a second run or send a request twice.

#include "ModalWindows.h"

#include <QAction>
#include <QRegularExpression>
#include <QTest>

inline bool SendTwiceWithinAnExchange(QAction& Send, int TimeoutMs)
{
    // The window opened a second time over itself (a nested run of its loop).
    QTest::failOnWarning(QRegularExpression(QStringLiteral("Recursive call")));
    const QString window = QStringLiteral("FormSchrijfParSoll");
    auto again = modal_windows::When(
        window, [](QWidget*) { return true; },
        [&Send](QWidget* running) {
            QTest::keyClick(running, Qt::Key_Return);
            for (int click = 0; click < 2; ++click)
                QTest::mouseClick(modal_windows::Button(running, QStringLiteral("CmdAgain")), Qt::LeftButton);
            Send.trigger();
        },
        TimeoutMs);
    auto ok = modal_windows::ClickWhenEnabled(window, QStringLiteral("CmdOK"), TimeoutMs);
    Send.trigger();
    return again->acted && ok->acted && !ok->expired;
}

// One copy per user: a second copy finds the first by the application title, asks it to come
// forward and ends.
#include "GuiTestMain.h"

#include "app/SingleInstance.h"
#include "app/StartOptions.h"

#include <QSignalSpy>
#include <QUuid>
#include <QWidget>

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void aSecondCopyRestoresTheFirstAndEnds()
    {
        // A key of its own, so a running program or a parallel test is never disturbed.
        const QString key = QStringLiteral("kmt40-test-") + QUuid::createUuid().toString(QUuid::Id128);
        QWidget window;
        window.showMinimized();
        SingleInstance first(key);
        QVERIFY(!first.AnotherCopyRuns());
        first.SetWindow(&window);
        QSignalSpy shown(&first, &SingleInstance::ShowRequested);

        SingleInstance second(key);
        QVERIFY(second.AnotherCopyRuns());
        QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 10000);
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());

        // A copy that is not minimised is brought forward again.
        SingleInstance third(key);
        QVERIFY(third.AnotherCopyRuns());
        QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 2, 10000);
        QVERIFY(window.isVisible());
    }

    void theFirstCopyIsFoundAgainAfterItEnded()
    {
        const QString key = QStringLiteral("kmt40-test-") + QUuid::createUuid().toString(QUuid::Id128);
        {
            SingleInstance first(key);
            QVERIFY(!first.AnotherCopyRuns());
        }
        SingleInstance next(key);
        QVERIFY(!next.AnotherCopyRuns());
    }

    void simulateIsTakenOutBeforeTheCalibrationWord()
    {
        const StartOptions plain = ParseStartOptions({QStringLiteral("kmt40"), QStringLiteral("AdjustKit")});
        QVERIFY(!plain.simulate);
        QCOMPARE(plain.arguments, QStringList{QStringLiteral("AdjustKit")});
        const StartOptions both = ParseStartOptions(
            {QStringLiteral("kmt40"), QStringLiteral("--simulate"), QStringLiteral("adjustkit")});
        QVERIFY(both.simulate);
        QCOMPARE(both.arguments, QStringList{QStringLiteral("adjustkit")});
        QVERIFY(ParseStartOptions({QStringLiteral("kmt40")}).arguments.isEmpty());
    }
};

KMT40_GUI_TEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"

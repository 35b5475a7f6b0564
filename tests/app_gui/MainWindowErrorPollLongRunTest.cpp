// The error poll over a minute of a busy terminal, through the real main window against the
// simulator: its own one-second timer, the 50 ms silence at the end of every reply, the replies
// paced at the line's rate, and a command sent every 100 ms or so, as many as the line can carry,
// many while the previous one (or an "rf") is still being answered. A separate program, so that ctest runs the minute beside
// the other tests; it waits far more than it computes.
#include "GuiTestMain.h"
#include "MainWindowHarness.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>

using namespace gui_test;

class MainWindowErrorPollLongRunTest : public QObject {
    Q_OBJECT

private slots:
    void aMinuteOfTypingNeverShowsAQuestionMark()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        h.Sim().setPacing(true);
        h.ClickOpenClose();
        QTRY_VERIFY_WITH_TIMEOUT(!Panel(form, 4).isEmpty(), kWaitMs);
        h.Sim().setErrorNumber(12, 7);
        h.Sim().clearLog();
        form.Timer1->start(); // as shipped: the error poll every second

        bool sawQuestionMark = false;
        std::size_t mostErrorPollsQueued = 0;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            sawQuestionMark |= form.PanelErrorNo->text() == QStringLiteral("?");
            mostErrorPollsQueued = std::max(mostErrorPollsQueued, form.ZBComm1.QueuedRequestsOf(&form.KT750ReadError));
        });
        watch.start(5);
        std::vector<std::string> typed;
        QTimer typist;
        QObject::connect(&typist, &QTimer::timeout, [&] {
            typed.push_back("rp " + std::to_string(typed.size() % 400));
            form.EditZenden->setText(QString::fromStdString(typed.back()));
            QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
        });
        typist.start(100);
        QElapsedTimer run;
        run.start();
        while (run.elapsed() < 60000)
            QTest::qWait(100);
        typist.stop();
        // What is still queued on a loaded machine goes out after the minute.
        QTRY_COMPARE_WITH_TIMEOUT(form.ZBComm1.QueueLength(), std::size_t(0), 30000);
        QTest::qWait(200);
        watch.stop();

        QVERIFY(!sawQuestionMark);
        QCOMPARE(mostErrorPollsQueued, std::size_t(1));
        QVERIFY2(form.PanelErrorNo->text().endsWith(QStringLiteral(": 7")), qPrintable(form.PanelErrorNo->text()));
        QCOMPARE(form.PanelComInfo->text(), QString());
        // Every command once, in order, and the error poll kept going under them (the bound is
        // loose: a loaded machine's timer fires late, never so rarely).
        QCOMPARE(h.Requests(), typed);
        const std::vector<std::string> all = h.Requests(true);
        const auto polls = std::count(all.begin(), all.end(), std::string("rf"));
        QVERIFY2(polls >= 10, qPrintable(QString::number(polls)));
        QVERIFY(typed.size() >= 100);
        // The last reply is shown under its command or alone.
        QVERIFY2(form.MemoReceive->toPlainText().endsWith(QString::fromStdString(typed.back()) + QLatin1Char(' ') +
                                                           QString::number(*h.Sim().parameter(12, static_cast<int>((typed.size() - 1) % 400)))),
                 qPrintable(form.MemoReceive->toPlainText().right(60)));
        std::printf("%zu commands and %td error polls in 60 s\n", typed.size(), polls);
    }
};

KMT40_GUI_TEST_MAIN(MainWindowErrorPollLongRunTest)
#include "MainWindowErrorPollLongRunTest.moc"

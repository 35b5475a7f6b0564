// The error polling ("rf"), the activity dots, the error reset ("wf") and the terminal line of the
// main window, against the simulator.
#include "GuiTestMain.h"
#include "MainWindowHarness.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>

using namespace gui_test;

class MainWindowErrorTerminalTest : public QObject {
    Q_OBJECT

private:
    // Opens the port and waits until the identification has finished.
    static void open(MainWindowHarness& h)
    {
        h.ClickOpenClose();
        QTRY_VERIFY_WITH_TIMEOUT(!Panel(h.Form(), 4).isEmpty(), kWaitMs);
    }

    // One timer tick, and the "rf" it sends has been answered and handled.
    static void tickAndWait(MainWindowHarness& h, const QString& expectedErrorPanel, const QString& expectedDots)
    {
        h.Form().Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(h.Form().PanelErrorNo->text(), expectedErrorPanel, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(Panel(h.Form(), 5), expectedDots, kWaitMs);
    }

private slots:
    void timerIsRunningAtOneSecondFromCreation()
    {
        MainWindowHarness h;
        TFormMain form(h.Dir().Path());
        QVERIFY(form.Timer1->isActive());
        QCOMPARE(form.Timer1->interval(), 1000);
    }

    void errorValuesAndTheActivityDots()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        open(h);
        const QString error7 = QStringLiteral("KM40... Error: 7");

        h.Sim().setErrorNumber(12, 7);
        tickAndWait(h, error7, QStringLiteral(". "));

        // -1: no error; the panel clears and the dots stay.
        h.Sim().setErrorNumber(12, -1);
        tickAndWait(h, QString(), QStringLiteral(". "));

        // -15 begins with "-1": also no error.
        h.Sim().setErrorNumber(12, 7);
        tickAndWait(h, error7, QStringLiteral(". . "));
        h.Sim().setErrorNumber(12, -15);
        tickAndWait(h, QString(), QStringLiteral(". . "));

        // Six dot groups at most, then one again.
        h.Sim().setErrorNumber(12, 7);
        tickAndWait(h, error7, QStringLiteral(". . . "));
        tickAndWait(h, error7, QStringLiteral(". . . . "));
        tickAndWait(h, error7, QStringLiteral(". . . . . "));
        tickAndWait(h, error7, QStringLiteral(". . . . . . "));
        tickAndWait(h, error7, QStringLiteral(". "));

        // A failing "rf" clears the error panel and shows the time-out text.
        h.Sim().setFault(12, km4x::Fault::Silent, true);
        form.Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelComInfo->text(), QStringLiteral("TIMEOUT-TEXT"), kWaitMs);
        QCOMPARE(form.PanelErrorNo->text(), QString());
        // The next good reply clears the communication error again.
        h.Sim().setFault(12, km4x::Fault::Silent, false);
        tickAndWait(h, error7, QStringLiteral(". . "));
        QCOMPARE(form.PanelComInfo->text(), QString());
    }

    void noErrorPollWhileThePortIsClosed()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        form.Timer1->start(); // the real timer as well as direct ticks
        for (int i = 0; i < 3; ++i) {
            form.Timer1Timer();
            QCOMPARE(form.ZBComm1.QueueLength(), std::size_t(0));
        }
        QTest::qWait(1500);
        QCOMPARE(h.Sim().requestCount(), std::size_t(0));

        // The same ticks poll once the port is open, and stop again after closing.
        open(h);
        form.Timer1->stop();
        // A tick of the real timer may have sent its "rf" already: it is answered before the log
        // is cleared, or this tick would rightly wait for it.
        QTRY_VERIFY_WITH_TIMEOUT(!form.KT750ReadError.RequestPending(), kWaitMs);
        h.Sim().clearLog();
        form.Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(h.Requests(true), std::vector<std::string>{"rf"}, kWaitMs);
        h.ClickOpenClose();
        h.Sim().clearLog();
        form.Timer1Timer();
        QCOMPARE(form.ZBComm1.QueueLength(), std::size_t(0));
        QTest::qWait(300);
        QCOMPARE(h.Sim().requestCount(), std::size_t(0));
    }

    void noErrorPollWhileTheReadWindowIsActive()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        open(h);
        QWidget readWindow;
        readWindow.setObjectName(TFormMain::ReadWindowName);
        readWindow.show();
        QApplication::setActiveWindow(&readWindow);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &readWindow, kWaitMs);
        h.Sim().clearLog();
        form.Timer1Timer();
        // Requests are served in order: had the tick sent "rf", it would come before this one.
        form.EditZenden->setText(QStringLiteral("rt"));
        QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.MemoReceive->toPlainText(), QStringLiteral("rt KM40 V2.31"), kWaitMs);
        QCOMPARE(h.Requests(true), std::vector<std::string>{"rt"});

        h.Sim().clearLog();
        readWindow.hide();
        QApplication::setActiveWindow(&form);
        form.Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(h.Requests(true), std::vector<std::string>{"rf"}, kWaitMs);
    }

    void resetButtonSendsWf()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        open(h);
        h.Sim().setErrorNumber(12, 7);
        h.Sim().clearLog();
        QTest::mouseClick(form.CmdResetError, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(h.Requests(), std::vector<std::string>{"wf"}, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(h.Sim().errorNumber(12), std::optional<int32_t>(-1), kWaitMs);
    }

    void terminalSendsTrimmedTextAndShowsTheRawReply()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        open(h);
        h.Sim().clearLog();

        form.MemoReceive->setPlainText(QStringLiteral("old reply"));
        form.EditZenden->setText(QStringLiteral("   rt  "));
        QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
        QCOMPARE(form.MemoReceive->toPlainText(), QString()); // cleared at once
        QTRY_COMPARE_WITH_TIMEOUT(form.MemoReceive->toPlainText(), QStringLiteral("rt KM40 V2.31"), kWaitMs);
        QCOMPARE(h.Requests(), std::vector<std::string>{"rt"});
        // The whole text is selected, so typing replaces it.
        QCOMPARE(form.EditZenden->selectedText(), QStringLiteral("   rt  "));

        // Enter in the window sends as well (the send button is the default button).
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        h.Sim().clearLog();
        form.MemoReceive->clear();
        form.EditZenden->setText(QStringLiteral("rh"));
        form.EditZenden->setFocus();
        QTest::keyClick(form.EditZenden, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(form.MemoReceive->toPlainText(), QStringLiteral("SW 2.31 2021-03-15").prepend("rh "),
                                  kWaitMs);
        QCOMPARE(h.Requests(), std::vector<std::string>{"rh"});

        // An empty text sends a bare CR; the controller's answer (if any) shows unchanged.
        h.Sim().clearLog();
        form.EditZenden->clear();
        QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(h.Sim().requestCount(), std::size_t(1), kWaitMs);
        QCOMPARE(h.Requests(), std::vector<std::string>{""});
    }

    void commandsTypedFasterThanTheyAreAnsweredGoOnceEachUnderTheErrorPolls()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        open(h);
        h.Sim().setErrorNumber(12, 7);
        h.Sim().setAnswerDelay(std::chrono::milliseconds(30));
        h.Sim().clearLog();
        bool sawQuestionMark = false;
        std::size_t mostErrorPollsQueued = 0;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            sawQuestionMark |= form.PanelErrorNo->text() == "?";
            mostErrorPollsQueued = std::max(mostErrorPollsQueued, form.ZBComm1.QueuedRequestsOf(&form.KT750ReadError));
        });
        watch.start(5);
        // Ten commands 50 ms apart, each reply taking longer (it ends by 50 ms of silence); the
        // error poll ticks in between, and "wf" is pressed while an "rf" is out.
        std::vector<std::string> typed;
        for (int i = 0; i < 10; ++i) {
            typed.push_back("rp " + std::to_string(i));
            form.EditZenden->setText(QString::fromStdString(typed.back()));
            QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
            form.Timer1Timer();
            if (i == 4)
                QTest::mouseClick(form.CmdResetError, Qt::LeftButton);
            QTest::qWait(50);
        }
        QTRY_COMPARE_WITH_TIMEOUT(form.MemoReceive->toPlainText().count(QLatin1Char('>')), 10, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(form.ZBComm1.QueueLength(), std::size_t(0), kWaitMs);

        std::vector<std::string> sent = h.Requests();
        QCOMPARE(std::count(sent.begin(), sent.end(), std::string("wf")), 1);
        sent.erase(std::remove(sent.begin(), sent.end(), std::string("wf")), sent.end());
        QCOMPARE(sent, typed);
        QCOMPARE(mostErrorPollsQueued, std::size_t(1));
        // Each reply stands under its command.
        const QStringList lines = form.MemoReceive->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 20);
        for (int i = 0; i < 10; ++i) {
            const QString command = QString::fromStdString(typed[static_cast<std::size_t>(i)]);
            QCOMPARE(lines[2 * i], QStringLiteral("> ") + command);
            QVERIFY2(lines[2 * i + 1].startsWith(command + QLatin1Char(' ')), qPrintable(lines[2 * i + 1]));
        }
        QVERIFY(!sawQuestionMark);
        QCOMPARE(form.PanelComInfo->text(), QString());
    }

    void upAndDownRecallWhatWasSent()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        open(h);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (const char* text : {"rt", "rh", "rh", "rx"}) {
            form.EditZenden->setText(QString::fromLatin1(text));
            QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!form.MemoReceive->toPlainText().isEmpty(), kWaitMs);
        }
        form.EditZenden->setFocus();
        form.EditZenden->setText(QStringLiteral("r"));
        const auto key = [&form](Qt::Key k) {
            QTest::keyClick(form.EditZenden, k);
            return form.EditZenden->text();
        };
        QCOMPARE(key(Qt::Key_Up), QStringLiteral("rx"));
        QCOMPARE(key(Qt::Key_Up), QStringLiteral("rh")); // sent twice in a row, kept once
        QCOMPARE(key(Qt::Key_Up), QStringLiteral("rt"));
        QCOMPARE(key(Qt::Key_Up), QStringLiteral("rt"));
        QCOMPARE(key(Qt::Key_Down), QStringLiteral("rh"));
        QCOMPARE(key(Qt::Key_Down), QStringLiteral("rx"));
        QCOMPARE(key(Qt::Key_Down), QStringLiteral("r")); // back to what was being typed
        QCOMPARE(key(Qt::Key_Down), QStringLiteral("r"));

        // A recalled text is sent like a typed one.
        h.Sim().clearLog();
        key(Qt::Key_Up);
        key(Qt::Key_Up);
        QTest::keyClick(form.EditZenden, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(h.Sim().requestCount(), std::size_t(1), kWaitMs);
        QCOMPARE(h.Requests(), std::vector<std::string>{"rh"});
    }

    void aTerminalTimeoutLeavesTheReplyEmptyAndShowsTheError()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        open(h);
        h.Sim().setFault(12, km4x::Fault::Silent, true);
        form.EditZenden->setText(QStringLiteral("rt"));
        QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelComInfo->text(), QStringLiteral("TIMEOUT-TEXT"), kWaitMs);
        QCOMPARE(form.MemoReceive->toPlainText(), QString());
    }

    void terminalAndResetStayQuietWhileClosed()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        QVERIFY(!form.CmdTerminalZenden->isEnabled());
        QVERIFY(!form.CmdResetError->isEnabled());
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.EditZenden->setText(QStringLiteral("rt"));
        form.EditZenden->setFocus();
        QTest::keyClick(form.EditZenden, Qt::Key_Return);
        QTest::qWait(300);
        QCOMPARE(h.Sim().requestCount(), std::size_t(0));
    }
};

KMT40_GUI_TEST_MAIN(MainWindowErrorTerminalTest)
#include "MainWindowErrorTerminalTest.moc"

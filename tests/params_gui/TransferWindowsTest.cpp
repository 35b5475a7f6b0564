// The read, write and loader windows through their real controls, against the simulator on a
// pseudo-terminal: texts, panel colours, enabled buttons, and how each run closes its window.

#include "TransferHarness.h"

#include "params/LeesParSoll.h"
#include "params/ParLoader.h"
#include "params/SchrijfParSoll.h"

#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

using namespace xfer_gui;

class TransferWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void readWindowShowsProgressAndFinishesWithOK()
    {
        TransferHarness h;
        for (int k = 1; k <= 48; ++k)
            h.sim.setSetpoint(0, k, 1000 + k);
        TFormLeesParSoll window(&h.port);
        QCOMPARE(window.objectName(), QStringLiteral("FormLeesParSoll"));
        QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(window.Panel1->font().bold());

        window.SetMode(1);
        window.show();
        QCOMPARE(window.windowTitle(), QString::fromUtf8("READ-CAPTION-1 \xC3\xBC"));
        QCOMPARE(window.CmdOK->text(), QStringLiteral("READ-OK"));
        QCOMPARE(window.Panel1->text(), QStringLiteral("READ-4 1"));
        QVERIFY(!IsRed(window.Panel1));
        QVERIFY(!window.CmdOK->isEnabled());
        QVERIFY(!window.CmdAgain->isEnabled());
        QVERIFY(window.CmdCancel->isEnabled());

        QVERIFY(WaitForRunEnd(window));
        QCOMPARE(window.Panel1->text(), QStringLiteral("READ-5"));
        QVERIFY(window.CmdOK->isEnabled());
        QVERIFY(window.CmdAgain->isEnabled());
        QCOMPARE(window.ProgressBar1->maximum(), 48);
        QCOMPARE(window.ProgressBar1->value(), 48);
        QCOMPARE(window.ReadSetpoints()[48], 1048);
        QCOMPARE(SetpointValues[48], 0); // only a caller takes the values over

        QTest::mouseClick(window.CmdOK, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(SetpointValues[48], 0);
    }

    void readWindowNeverTakesAReplyThatDoesNotAnswerItsRequest()
    {
        // From setpoint 11 on, a reply cut of its LF, then one sent twice (with the fast end the
        // copy waits before the next request): the run stops red at a setpoint, never OK.
        for (const km4x::Fault fault : {km4x::Fault::CutEnd, km4x::Fault::Doubled}) {
            TransferHarness h;
            h.port.SetFastReplyEnd(true);
            h.OnRequest([&h, fault](const std::string& request) {
                if (request == "rs 10")
                    h.sim.setFault(0, fault, true, "rs");
            });
            TFormLeesParSoll window(&h.port);
            window.SetMode(1);
            window.show();
            QVERIFY(WaitForRunEnd(window));
            QVERIFY2(window.Panel1->text().startsWith(QStringLiteral("READ-7 rs 1")), qPrintable(window.Panel1->text()));
            QVERIFY(window.Panel1->text().contains(QStringLiteral("S[01")));
            QVERIFY(IsRed(window.Panel1));
            QVERIFY(!window.CmdOK->isEnabled());
        }
    }

    void readWindowWrongReplyIsRedAndAgainStartsOver()
    {
        TransferHarness h;
        h.OnRequest([&h](const std::string& request) {
            if (request == "rp 16")
                h.sim.setFault(0, km4x::Fault::Silent, true, "rp");
            if (request == "rp 17")
                h.sim.injectBytes("er 7\r\n");
        });
        TFormLeesParSoll window(&h.port);
        window.SetMode(0);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("READ-CAPTION-0"));
        QVERIFY(WaitForRunEnd(window));
        QCOMPARE(window.Panel1->text(), QStringLiteral("READ-7 er 7   P[017]"));
        QVERIFY(IsRed(window.Panel1));
        QVERIFY(window.CmdAgain->isEnabled());
        QVERIFY(!window.CmdOK->isEnabled());

        h.sim.setRequestObserver({});
        h.sim.clearFaults();
        h.sim.clearLog();
        QTest::mouseClick(window.CmdAgain, Qt::LeftButton);
        QCOMPARE(window.Panel1->text(), QStringLiteral("READ-2 0"));
        QVERIFY(!IsRed(window.Panel1));
        QVERIFY(!window.CmdAgain->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(h.sim.requestCount() >= 2, kWaitMs);
        QCOMPARE(h.Requests().front(), std::string("rp 0"));

        // Cancel while a request is outstanding: the window stays until its reply is in.
        QTest::mouseClick(window.CmdCancel, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), kWaitMs);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QCOMPARE(ParameterSource, TParameterSource::None);
    }

    void readWindowClosesAtOnceWhenThePortClosedUnderIt()
    {
        TransferHarness h;
        TFormLeesParSoll window(&h.port);
        window.SetMode(2);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.ProgressBar1->value() >= 3, kWaitMs);
        h.port.Close();
        QCOMPARE(window.Panel1->text(), QStringLiteral("READ-1"));
        QVERIFY(IsRed(window.Panel1));
        QTest::keyClick(&window, Qt::Key_Escape); // no close box: Escape is Cancel
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Rejected));
    }

    void textsStayEmptyWithoutALanguageFile()
    {
        TransferHarness h;
        LanguageFile.Clear();
        LanguageLoaded = false;
        TFormLeesParSoll window(&h.port);
        window.SetMode(1);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Lees Param"));
        QCOMPARE(window.CmdAgain->text(), QStringLiteral("Again"));
        QCOMPARE(window.Panel1->text(), QStringLiteral(" 1"));
        QTest::mouseClick(window.CmdCancel, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), kWaitMs);
    }

    void writeWindowWritesSetpointsWithoutComputation()
    {
        TransferHarness h;
        TSetpointValues setpoints{};
        for (int k = 1; k <= 48; ++k)
            setpoints[k] = -k;
        TFormSchrijfParSoll window(&h.port);
        QCOMPARE(window.objectName(), QStringLiteral("FormSchrijfParSoll"));
        window.SetSetpoints(setpoints);
        window.SetMode(1);
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("WRITE-CAPTION-1"));
        QCOMPARE(window.Panel1->text(), QStringLiteral("WRITE-4 1"));
        QVERIFY(WaitForRunEnd(window));
        QCOMPARE(window.Panel1->text(), QStringLiteral("WRITE-5"));
        QVERIFY(window.CmdOK->isEnabled());
        QCOMPARE(h.Requests().size(), std::size_t(48));
        QCOMPARE(h.Requests().back(), std::string("ws 48 -48"));
        QCOMPARE(*h.sim.setpoint(0, 17), -17);
        QTest::mouseClick(window.CmdOK, Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }

    void writeWindowRefusalAndComputationFailure()
    {
        TransferHarness h;
        h.port.SetFastReplyEnd(true); // what is tested here does not depend on how a reply ends
        TParameterValues parameters{};
        for (int n = 0; n < 400; ++n)
            parameters[n] = *h.sim.parameter(0, n);
        TFormSchrijfParSoll window(&h.port);
        window.SetParameters(parameters);

        h.sim.refuseParameter(0, 3);
        ParametersSentNotLoaded = false;
        window.SetMode(0);
        window.show();
        QVERIFY(WaitForRunEnd(window));
        QCOMPARE(window.Panel1->text(), QStringLiteral("(er 7) WRITE-9"));
        QVERIFY(IsRed(window.Panel1));
        QVERIFY(ParametersSentNotLoaded); // "wp 0" .. "wp 2" went in, no "bp" followed
        QVERIFY(window.CmdAgain->isEnabled());
        QVERIFY(!window.CmdOK->isEnabled());

        h.sim.refuseParameter(0, 3, false);
        h.sim.setComputeFailure(0, 123);
        // The controller computes a while (half a second), so the panel shows it for long enough
        // to be seen however quickly the replies end.
        h.sim.setFault(0, km4x::Fault::Slow, true, "bp");
        bool sawComputing = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            sawComputing = sawComputing || window.Panel1->text() == QStringLiteral("Bereken parameters");
        });
        watch.start(5);
        QTest::mouseClick(window.CmdAgain, Qt::LeftButton);
        QVERIFY(WaitForRunEnd(window));
        QCOMPARE(window.Panel1->text(), QStringLiteral("WRITE-10 123 WRITE-11"));
        QVERIFY(window.CmdOK->isEnabled());
        QVERIFY(IsRed(window.Panel1));
        QVERIFY(window.CmdAgain->isEnabled());
        QVERIFY(sawComputing);
        QCOMPARE(h.Requests().back(), std::string("bp"));
        QVERIFY(!ParametersSentNotLoaded); // answered, even with a failure report

        // A "wp" whose outcome is unknown (no reply) leaves the mark set.
        h.sim.clearFaults();
        h.sim.setComputeFailure(0, std::nullopt);
        h.sim.setFault(0, km4x::Fault::Silent, true, "wp");
        QTest::mouseClick(window.CmdAgain, Qt::LeftButton);
        QVERIFY(WaitForRunEnd(window));
        QCOMPARE(window.Panel1->text(), QStringLiteral("WRITE-0"));
        QVERIFY(ParametersSentNotLoaded);
    }

    // The line pulled in the middle of a write: one message naming it (led by the window's
    // communication error text), the port closed, the run stopped red with the mark of values sent
    // and not computed, and Cancel closes.
    void writeWindowPulledLineIsSaidOnce()
    {
        TransferHarness h;
        h.port.SetFastReplyEnd(true);
        TParameterValues parameters{};
        TFormSchrijfParSoll window(&h.port);
        window.SetParameters(parameters);
        ParametersSentNotLoaded = false;
        window.SetMode(0);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(h.sim.requestCount() >= 30, kWaitMs);
        const QString device = QString::fromStdString(h.sim.devicePath());
        h.sim.closeLine();
        QTRY_COMPARE_WITH_TIMEOUT(h.dialogs.asked.size(), std::size_t(1), kWaitMs);
        QTest::qWait(300);
        QCOMPARE(h.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(h.dialogs.asked[0].text.left(device.size() + 17), QStringLiteral("WRITE-1 COM 1 (") + device + "):");
        QVERIFY(!h.port.Active());
        QCOMPARE(window.Panel1->text(), QStringLiteral("WRITE-1"));
        QVERIFY(IsRed(window.Panel1));
        QVERIFY(ParametersSentNotLoaded);
        QVERIFY(!window.CmdOK->isEnabled());
        QTest::mouseClick(window.CmdCancel, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Rejected));
        ParametersSentNotLoaded = false;
    }

    void loaderShowsTheComputationAndClearsTheSentMark()
    {
        TransferHarness h;
        TFormParLoader window(&h.port);
        QCOMPARE(window.objectName(), QStringLiteral("FormParLoader"));

        ParametersSentNotLoaded = true;
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("LOADER-CAPTION"));
        QVERIFY(window.CmdOK->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(window.Panel1->text(), QStringLiteral("LOADER-4"), kWaitMs);
        QVERIFY(!IsRed(window.Panel1));
        QVERIFY(!ParametersSentNotLoaded);
        QTest::mouseClick(window.CmdOK, Qt::LeftButton);
        QVERIFY(!window.isVisible());

        ParametersSentNotLoaded = true;
        h.sim.setComputeFailure(0, 17);
        window.show();
        QCOMPARE(window.Panel1->text(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(window.Panel1->text(), QStringLiteral("LOADER-5 17 LOADER-6"), kWaitMs);
        QVERIFY(IsRed(window.Panel1));
        QVERIFY(!ParametersSentNotLoaded);
        window.hide();

        // No reply: the mark stays, so the editor still warns.
        ParametersSentNotLoaded = true;
        h.sim.setFault(0, km4x::Fault::Silent, true);
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(window.Panel1->text(), QStringLiteral("LOADER-0"), kWaitMs);
        QVERIFY(IsRed(window.Panel1));
        QVERIFY(ParametersSentNotLoaded);
        window.hide();

        // Closed before the reply: the reply still counts.
        h.sim.clearFaults();
        h.sim.setComputeFailure(0, std::nullopt);
        h.sim.setAnswerDelay(std::chrono::milliseconds(40));
        window.show();
        QTest::mouseClick(window.CmdOK, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!ParametersSentNotLoaded, kWaitMs);

        // A wrong reply is asked for once more only while the window shows the run: after it was
        // closed nothing goes out unseen, and the mark stays.
        const auto computations = [&] {
            const std::vector<std::string> sent = h.Requests();
            return std::count(sent.begin(), sent.end(), std::string("bp"));
        };
        ParametersSentNotLoaded = true;
        h.sim.setFault(0, km4x::Fault::WrongEchoOnce, true, "bp");
        auto before = computations();
        window.show();
        QTest::mouseClick(window.CmdOK, Qt::LeftButton);
        QTest::qWait(200);
        QCOMPARE(computations(), before + 1);
        QVERIFY(ParametersSentNotLoaded);

        // Started twice within one exchange: one "bp", whose answer the window shows.
        before = computations();
        window.show();
        window.hide();
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(window.Panel1->text(), QStringLiteral("LOADER-4"), kWaitMs);
        QTest::qWait(100);
        QCOMPARE(computations(), before + 1);
    }
};

KMT40_GUI_TEST_MAIN(TransferWindowsTest)
#include "TransferWindowsTest.moc"

// "Parameters + Sollwerten ontvangen" as a user runs it: open the port, choose the menu item, watch
// the read window read everything, press OK (or Cancel), and find the controller's values in the
// program's tables.
#include "support/GuiTestMain.h"
#include "IntegrationHarness.h"

#include "params/LeesParSoll.h"

#include <QProgressBar>

using namespace integration;

class ReceiveEverythingTest : public QObject {
    Q_OBJECT

private slots:
    void offlineTheCommandIsUnavailable()
    {
        ProgramHarness p;
        QAction* receive = p.MenuItem("KM40ontvangen1");
        QVERIFY(receive);
        QCOMPARE(receive->text(), ProgramHarness::Text("Main", "subParSoll"));
        QVERIFY(!receive->isEnabled());
        // A disabled item does nothing; a read window would wait here.
        modal_windows::RefuseModal noRead(QStringLiteral("FormLeesParSoll"));
        receive->trigger();
        QVERIFY(!noRead.Opened());
        QCOMPARE(p.Sim().requestCount(), std::size_t(0));
    }

    void cancelLeavesTheTablesAndOKTakesTheControllersValues()
    {
        ProgramHarness p;
        SetDistinctiveValues(p.Sim());
        // The user's choice of a fast end of reply (the serial settings window); what is tested
        // here is the same either way, and the read window's own test keeps the 50 ms silence.
        p.Form().ZBComm1.SetFastReplyEnd(true);
        QVERIFY(p.OpenPortAndIdentify());
        QAction* receive = p.MenuItem("KM40ontvangen1");
        QVERIFY(receive->isEnabled());

        // What the program holds before: values from a file.
        ParameterValues.fill(5);
        SetpointValues.fill(6);
        ParameterSource = TParameterSource::File;
        SetpointSource = TSetpointSource::File;

        // Cancel part-way: the window closes at the next reply, nothing is taken over.
        auto cancelled = modal_windows::When(
            QStringLiteral("FormLeesParSoll"),
            [](QWidget* window) { return window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->value() >= 10; },
            [](QWidget* window) { modal_windows::Button(window, QStringLiteral("CmdCancel"))->click(); }, kRunMs);
        receive->trigger();
        QVERIFY(cancelled->acted);
        QVERIFY(!cancelled->expired);
        QVERIFY(!FormLeesParSoll->isVisible());
        for (int n = 0; n < 400; ++n)
            QCOMPARE(ParameterValues[n], 5);
        for (int k = 0; k <= 48; ++k)
            QCOMPARE(SetpointValues[k], 6);
        QCOMPARE(ParameterSource, TParameterSource::File);
        QCOMPARE(SetpointSource, TSetpointSource::File);
        const std::vector<std::string> partial = p.Requests();
        QVERIFY(partial.size() >= 10 && partial.size() < 400);
        QCOMPARE(partial.front(), std::string("rp 0"));

        // The whole run, once more from the first value, with the error polls running beside it.
        p.Sim().clearLog();
        auto ok = modal_windows::ClickWhenEnabled(QStringLiteral("FormLeesParSoll"), QStringLiteral("CmdOK"), kRunMs);
        receive->trigger();
        QVERIFY(ok->acted);
        QVERIFY(!ok->expired);
        QCOMPARE(FormLeesParSoll->windowTitle(), ProgramHarness::Text("LeesParSoll", "CaptionMode2"));
        QCOMPARE(p.Requests(), ReadEverythingRequests());

        for (int n = 0; n < 400; ++n)
            QCOMPARE(ParameterValues[n], DistinctiveParameter(n));
        QCOMPARE(SetpointValues[0], 0);
        for (int k = 1; k <= 48; ++k)
            QCOMPARE(SetpointValues[k], DistinctiveSetpoint(k));
        QCOMPARE(ParameterSource, TParameterSource::Device);
        QCOMPARE(SetpointSource, TSetpointSource::Device);

        // The main window carries on with the port open and polls the error number again.
        QVERIFY(p.Form().ZBComm1.Active());
        QVERIFY(receive->isEnabled());
        p.Sim().clearLog();
        QTRY_VERIFY_WITH_TIMEOUT(p.Sim().requestCount() > 0, gui_test::kWaitMs);
        QCOMPARE(p.Sim().requestLog().front().text, std::string("rf"));
    }
};

KMT40_GUI_TEST_MAIN(ReceiveEverythingTest)
#include "ReceiveEverythingTest.moc"

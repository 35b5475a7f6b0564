// The single-parameter dialog through its real controls: the entry field's key rules for typing,
// pasting and dropping, taking a value over, option lists, and "wp" and "bp" against the simulator
// with its refusals, silences and a port that closes under an outstanding request.

#include "TransferHarness.h"

#include "params/FilteredLineEdit.h"
#include "params/ParamService.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterDisplay.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMimeData>
#include <QPushButton>

using namespace xfer_gui;

namespace {

const char kCatalogue[] =
    "[030]\nnaam0=Dertig\nnaam1=Thirty\ntype=0\ndec=2\nmin=-1000\nmax=5000\ndefault=250\n"
    "[031]\nnaam1=Whole\ntype=0\ndec=0\nmin=0\nmax=999\ndefault=5\n"
    "[032]\nnaam1=Large\ntype=0\ndec=2\nmin=0\nmax=999999999\ndefault=0\n"
    "[033]\nnaam1=Choice\ntype=1\nopties1=a,b,c,d\ndec=0\nmin=0\nmax=3\ndefault=2\n"
    "[034]\nnaam1=Signed\ntype=0\ndec=0\nmin=-50\nmax=50\ndefault=0\n";

const char kTexts[] = "[ParamService]\r\nLabelMin=MIN:\r\nLabelParData=VALUE:\r\n"
                      "PanelTekst0=T0\r\nPanelTekst1=T1\r\nPanelTekst2=T2\r\nPanelTekst3=T3\r\nPanelTekst4=T4\r\n"
                      "PanelTekst5=T5\r\nPanelTekst6=T6\r\nPanelTekst7=T7\r\nPanelTekst8=T8\r\nPanelTekst9=T9\r\n"
                      "PanelTekst10=T10\r\n";

class Fixture {
public:
    Fixture()
    {
        LanguageFile.LoadFromText(kTexts);
        LanguageIndex = 1;
        ParameterCatalogue.LoadFromText(kCatalogue);
        CatalogueLoaded = true;
    }
    ~Fixture()
    {
        ParameterCatalogue.Clear();
        CatalogueLoaded = false;
    }

    // Opens the dialog for parameter n as the editor does.
    void Open(int n)
    {
        SelectedParameter = SelectedParameterOf(n);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
    // Types Keys into an emptied field.
    void Type(const QString& Keys)
    {
        dialog.MaskEditParData->selectAll();
        QTest::keyClick(dialog.MaskEditParData, Qt::Key_Backspace);
        QTest::keyClicks(dialog.MaskEditParData, Keys);
    }
    QString Field() const { return dialog.MaskEditParData->text(); }

    TransferHarness h; // port open on the simulator
    TFormParamService dialog{&h.port};
};

bool AllButtonsEnabled(const TFormParamService& Dialog)
{
    for (const QPushButton* button : {Dialog.CmdOK, Dialog.CmdZenden, Dialog.CmdCancel, Dialog.CmdDefault, Dialog.CmdBerPar})
        if (!button->isEnabled())
            return false;
    return true;
}

} // namespace

class ParamServiceTest : public QObject {
    Q_OBJECT

private slots:
    void typedPastedAndDroppedTextFollowsTheKeyRules()
    {
        Fixture f;
        ParameterValues[30] = 1234;
        f.Open(30);
        TFormParamService& d = f.dialog;
        QCOMPARE(d.windowTitle(), QStringLiteral("[030]   Thirty"));
        QCOMPARE(d.PanelMin->text(), QStringLiteral("-10,00"));
        QCOMPARE(d.PanelMax->text(), QStringLiteral("50,00"));
        QCOMPARE(d.PanelDefault->text(), QStringLiteral("2,50"));
        QCOMPARE(d.PanelMin->accessibleName(), QStringLiteral("MIN"));
        QCOMPARE(d.MaskEditParData->accessibleName(), QStringLiteral("VALUE"));
        QVERIFY(d.MaskEditParData->isVisible() && !d.ComboParData->isVisible());
        QCOMPARE(f.Field(), QStringLiteral("12,34"));
        QCOMPARE(d.MaskEditParData->selectedText(), QStringLiteral("12,34")); // typing replaces it
        QCOMPARE(d.IntegerDigits(), 2);
        QVERIFY(AllButtonsEnabled(d));

        f.Type(QStringLiteral("12,345"));
        QCOMPARE(f.Field(), QStringLiteral("12,34"));
        f.Type(QStringLiteral("1.5"));
        QCOMPARE(f.Field(), QStringLiteral("1,5"));
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(ParameterValues[30], 150);

        // Out of range: red, not taken over, the dialog stays.
        f.Open(30);
        f.Type(QStringLiteral("60"));
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        QVERIFY(d.isVisible());
        QCOMPARE(d.StatusText(), QStringLiteral("T2"));
        QVERIFY(IsRed(d.PanelService));
        QCOMPARE(ParameterValues[30], 150);

        // The sign goes in front wherever it is typed.
        f.Type(QStringLiteral("25"));
        QTest::keyClick(d.MaskEditParData, '-');
        QCOMPARE(f.Field(), QStringLiteral("-25"));
        QTest::keyClick(d.MaskEditParData, Qt::Key_Home);
        QTest::keyClick(d.MaskEditParData, '1');
        QCOMPARE(f.Field(), QStringLiteral("-25")); // nothing before the sign

        // Paste and drop go through the same rules as typing.
        f.Type(QString());
        QGuiApplication::clipboard()->setText(QStringLiteral("x1,2.3-9"));
        QTest::keyClick(d.MaskEditParData, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.Field(), QStringLiteral("-1,23"));
        f.Type(QString());
        QMimeData mime;
        mime.setText(QStringLiteral("4a4,,4"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(d.MaskEditParData, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(d.MaskEditParData, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(f.Field(), QStringLiteral("44,4"));

        // An empty field is 0; Default only fills the field.
        f.Type(QString());
        QTest::mouseClick(d.CmdDefault, Qt::LeftButton);
        QCOMPARE(f.Field(), QStringLiteral("2,50"));
        QCOMPARE(ParameterValues[30], 150);
        f.Type(QString());
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(ParameterValues[30], 0);

        // Escape closes without taking anything over.
        f.Open(30);
        f.Type(QStringLiteral("7"));
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(ParameterValues[30], 0);
    }

    void wholeNumbersLongNumbersAndOptionLists()
    {
        Fixture f;
        TFormParamService& d = f.dialog;
        f.Open(31);
        f.Type(QStringLiteral("1,.-2"));
        QCOMPARE(f.Field(), QStringLiteral("12"));
        f.dialog.MaskEditParData->setText(QStringLiteral("007"));
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        QCOMPARE(ParameterValues[31], 7);

        f.Open(34); // Min -50: "-" before 25 is -25
        f.Type(QStringLiteral("25-"));
        QCOMPARE(f.Field(), QStringLiteral("-25"));
        QTest::keyClick(d.MaskEditParData, Qt::Key_Return); // Enter is OK
        QVERIFY(!d.isVisible());
        QCOMPARE(ParameterValues[34], -25);

        f.Open(32); // seven integer digits and two decimals are nine: too many
        QCOMPARE(d.IntegerDigits(), 7);
        f.Type(QStringLiteral("99999999"));
        QCOMPARE(f.Field(), QStringLiteral("9999999"));
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        QCOMPARE(d.StatusText(), QStringLiteral("T3"));
        QVERIFY(IsRed(d.PanelService));
        QVERIFY(d.isVisible());
        QCOMPARE(ParameterValues[32], 0);
        d.reject();

        ParameterValues[33] = 7; // no such entry
        f.Open(33);
        QVERIFY(d.ComboParData->isVisible() && !d.MaskEditParData->isVisible());
        QCOMPARE(d.ComboParData->count(), 4);
        QCOMPARE(d.ComboParData->itemText(2), QStringLiteral("2 - c"));
        QCOMPARE(d.ComboParData->currentIndex(), -1);
        // Nothing picked: Send sends nothing, OK keeps the value as it was (never -1).
        f.h.sim.clearLog();
        QTest::mouseClick(d.CmdZenden, Qt::LeftButton);
        QCOMPARE(d.StatusText(), QStringLiteral("T2"));
        QVERIFY(IsRed(d.PanelService));
        QVERIFY(!d.Busy());
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(ParameterValues[33], 7);
        QVERIFY(f.h.Requests().empty());
        f.Open(33);
        QTest::mouseClick(d.CmdDefault, Qt::LeftButton);
        QCOMPARE(d.ComboParData->currentIndex(), 2);
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        QCOMPARE(ParameterValues[33], 2);
    }

    void writeAndComputeAgainstTheController()
    {
        Fixture f;
        TFormParamService& d = f.dialog;
        f.Open(30);
        f.Type(QStringLiteral("12,5"));
        QTest::mouseClick(d.CmdZenden, Qt::LeftButton);
        QCOMPARE(d.StatusText(), QStringLiteral("T1"));
        QVERIFY(!d.CmdOK->isEnabled() && !d.CmdCancel->isEnabled());
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(d.isVisible()); // not while a request is outstanding
        QTRY_COMPARE_WITH_TIMEOUT(d.StatusText(), QStringLiteral("T4"), kWaitMs);
        QVERIFY(!IsRed(d.PanelService));
        QVERIFY(AllButtonsEnabled(d));
        QCOMPARE(f.h.sim.parameter(0, 30).value_or(0), 1250);
        QVERIFY(ParametersSentNotLoaded);

        QTest::mouseClick(d.CmdBerPar, Qt::LeftButton);
        QCOMPARE(d.StatusText(), QStringLiteral("T9"));
        QTRY_COMPARE_WITH_TIMEOUT(d.StatusText(), QStringLiteral("T10"), kWaitMs);
        QVERIFY(!ParametersSentNotLoaded);
        f.h.sim.setComputeFailure(0, 12);
        QTest::mouseClick(d.CmdBerPar, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(d.StatusText(), QStringLiteral("T7 12 T8"), kWaitMs);
        QVERIFY(IsRed(d.PanelService));
        f.h.sim.setComputeFailure(0, std::nullopt);

        // Refused: the value stays taken over but is not counted as sent.
        f.h.sim.refuseParameter(0, 30);
        f.Type(QStringLiteral("3"));
        QTest::mouseClick(d.CmdZenden, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(d.StatusText(), QStringLiteral("(er 7) T6"), kWaitMs);
        QVERIFY(IsRed(d.PanelService));
        QCOMPARE(ParameterValues[30], 300);
        QVERIFY(!ParametersSentNotLoaded);
        f.h.sim.refuseParameter(0, 30, false);

        // A reply that does not repeat "wp" confirms nothing, but the controller may have stored
        // the value: it counts as sent and not computed.
        f.h.sim.setFault(0, km4x::Fault::WrongEchoOnce, true);
        QTest::mouseClick(d.CmdZenden, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(d.StatusText(), QStringLiteral("T5"), kWaitMs);
        QVERIFY(ParametersSentNotLoaded);
        QVERIFY(AllButtonsEnabled(d));
        ParametersSentNotLoaded = false;

        // A silent controller: the time-out text, the buttons are usable again, and the value it
        // may have stored counts as sent.
        f.h.sim.setFault(0, km4x::Fault::Silent, true);
        QTest::mouseClick(d.CmdZenden, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(d.StatusText(), QStringLiteral("T0"), kWaitMs);
        QVERIFY(IsRed(d.PanelService));
        QVERIFY(AllButtonsEnabled(d));
        QVERIFY(ParametersSentNotLoaded);
        ParametersSentNotLoaded = false;

        // The port closed while "bp" is outstanding: a communication error, nothing hangs, and
        // sending is offered no more.
        QTest::mouseClick(d.CmdBerPar, Qt::LeftButton);
        QVERIFY(d.Busy());
        f.h.port.Close();
        QTRY_VERIFY_WITH_TIMEOUT(!d.Busy(), kWaitMs);
        QCOMPARE(d.StatusText(), QStringLiteral("T5"));
        QVERIFY(!ParametersSentNotLoaded); // "bp" writes no value
        QVERIFY(d.CmdOK->isEnabled() && d.CmdCancel->isEnabled());
        QVERIFY(!d.CmdZenden->isEnabled() && !d.CmdBerPar->isEnabled());
        d.reject();
        f.Open(30);
        QVERIFY(!d.CmdZenden->isEnabled() && !d.CmdBerPar->isEnabled());
        d.reject();
    }

    // Zenden clicked twice and Enter pressed within one exchange write once; a line pulled while
    // a write is answered is said once, naming the line, and the port closes.
    void aSecondSendWithinAnExchangeAndAPulledLine()
    {
        Fixture f;
        TFormParamService& d = f.dialog;
        f.Open(30);
        f.Type(QStringLiteral("12,5"));
        f.h.sim.setAnswerDelay(std::chrono::milliseconds(150));
        f.h.sim.clearLog();
        // A double click (its second press comes once the first click has been handled), then
        // Enter in the field.
        QTest::mouseClick(d.CmdZenden, Qt::LeftButton);
        QTest::mouseClick(d.CmdZenden, Qt::LeftButton);
        QTest::keyClick(d.MaskEditParData, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(d.StatusText(), QStringLiteral("T4"), kWaitMs);
        QTest::qWait(300); // a second request would have been answered by now
        QCOMPARE(f.h.Requests(), std::vector<std::string>{"wp 30 1250"});
        QCOMPARE(f.h.dialogs.asked.size(), std::size_t(0));

        ParametersSentNotLoaded = false;
        f.h.sim.setAnswerDelay(std::chrono::milliseconds(0));
        f.h.sim.setFault(0, km4x::Fault::Silent, true);
        QTest::mouseClick(d.CmdZenden, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.h.sim.requestCount() >= 2, kWaitMs);
        const QString device = QString::fromStdString(f.h.sim.devicePath());
        f.h.sim.closeLine();
        QTRY_COMPARE_WITH_TIMEOUT(f.h.dialogs.asked.size(), std::size_t(1), kWaitMs);
        QTest::qWait(300);
        QCOMPARE(f.h.dialogs.asked.size(), std::size_t(1));
        const QString text = f.h.dialogs.asked[0].text;
        QVERIFY2(f.h.dialogs.asked[0].kind == FakeDialogs::Kind::Error, qPrintable(text));
        QVERIFY2(text.startsWith(QStringLiteral("T5 COM 1 (")), qPrintable(text));
        QVERIFY2(text.contains(device), qPrintable(text));
        QVERIFY(!f.h.port.Active());
        QVERIFY(!d.Busy());
        QVERIFY(ParametersSentNotLoaded); // the write may have reached the controller
        QVERIFY(d.CmdCancel->isEnabled() && !d.CmdZenden->isEnabled());
        d.reject();
        ParametersSentNotLoaded = false;
    }
};

KMT40_GUI_TEST_MAIN(ParamServiceTest)
#include "ParamServiceTest.moc"

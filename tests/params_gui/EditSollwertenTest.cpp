// The setpoint editor through its real grid: typing, Enter and Escape, the keys and clicks that
// may or may not move the cell, refused entries, and the transfers and files against the
// simulator, with the shipped English texts.

#include "TransferHarness.h"

#include "ModalWindows.h"
#include "SendWithinAnExchange.h"
#include "params/EditSollwerten.h"
#include "params/LeesParSoll.h"
#include "params/SchrijfParSoll.h"
#include "params/SetpointGrid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace xfer_gui;

namespace {

class Fixture {
public:
    Fixture()
    {
        QVERIFY(LanguageFile.LoadFromFile(KMT40_DATA_DIR "/Taal1.ini"));
        LanguageIndex = 1;
        ParameterValues[203] = 2;
        for (int k = 1; k <= SetpointCount; ++k)
            SetpointValues[static_cast<std::size_t>(k)] = k * 100;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    ~Fixture() { window.hide(); }

    // Types Keys as the user does: each key goes where the keyboard focus is (the grid, or the
    // in-place editor the first key opened).
    void Type(const QString& Keys)
    {
        for (const QChar c : Keys)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    void Key(Qt::Key Key) { QTest::keyClick(QApplication::focusWidget(), Key); }
    void Click(int Column, int Row)
    {
        const QRect cell = window.StringGrid1->visualRect(window.StringGrid1->model()->index(Row - 1, Column));
        QTest::mouseClick(window.StringGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QString EditorText() const { return window.CellEditor() ? window.CellEditor()->text() : QString(); }

    TransferHarness h; // the port is open on the simulator
    TFormEditSollwerten window{&h.port};
};

} // namespace

class EditSollwertenTest : public QObject {
    Q_OBJECT

private slots:
    void typingEnterEscapeAndWhereTheCellMayGo()
    {
        Fixture f;
        TFormEditSollwerten& w = f.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Edit setpoints"));
        QCOMPARE(w.StringGrid1->horizontalHeaderItem(3)->text(), QStringLiteral("No."));
        QCOMPARE(w.StringGrid1->horizontalHeaderItem(4)->text(), QStringLiteral("Value"));
        QCOMPARE(w.CurrentColumn(), 1);
        QCOMPARE(w.CurrentRow(), 1);
        QCOMPARE(w.Cell(3, 3), QStringLiteral("27"));
        QCOMPARE(w.Cell(4, 3), QStringLiteral("27,00"));
        QVERIFY(w.subParOntvangen->isEnabled());

        // 12,5 and Enter in row 3 of column 4: setpoint 27, shown 12,50, the editor moves down.
        w.SelectCell(4, 3);
        f.Type(QStringLiteral("12.5"));
        QCOMPARE(f.EditorText(), QStringLiteral("12,5"));
        f.Key(Qt::Key_Return);
        QCOMPARE(SetpointValues[27], 1250);
        QCOMPARE(w.Cell(4, 3), QStringLiteral("12,50"));
        QCOMPARE(w.CurrentRow(), 4);
        QCOMPARE(w.CurrentColumn(), 4);
        QVERIFY(w.Editing());
        QCOMPARE(w.CellEditor()->selectedText(), QStringLiteral("28,00"));

        // While editing: one comma, one sign, no arrow leaves the cell, no click elsewhere counts.
        f.Type(QStringLiteral("-9,9,--"));
        QCOMPARE(f.EditorText(), QStringLiteral("-9,9"));
        f.Key(Qt::Key_Up);
        f.Click(1, 10);
        QCOMPARE(w.CurrentRow(), 4);
        QVERIFY(w.Editing());

        // Escape restores the stored value and ends the edit.
        f.Key(Qt::Key_Escape);
        QVERIFY(!w.Editing());
        QCOMPARE(w.Cell(4, 4), QStringLiteral("28,00"));
        QCOMPARE(SetpointValues[28], 2800);
        QVERIFY(w.isVisible()); // Escape in the grid does not close the window

        // Row 5 of column 4 is setpoint 29.
        w.SelectCell(4, 5);
        f.Type(QStringLiteral("77"));
        f.Key(Qt::Key_Escape);
        QCOMPARE(w.Cell(4, 5), QStringLiteral("29,00"));

        // An entry that cannot be read is refused with the message and the old value returns.
        f.Type(QStringLiteral("1-2"));
        f.Key(Qt::Key_Return);
        QCOMPARE(w.Panel1->text(), QStringLiteral("Invalid entry!"));
        QCOMPARE(w.Cell(4, 5), QStringLiteral("29,00"));
        QCOMPARE(SetpointValues[29], 2900);
        QCOMPARE(w.CurrentRow(), 5);
        f.Key(Qt::Key_Escape);
        QVERIFY(w.Panel1->text().isEmpty());

        // Without editing: right from column 1 goes to column 4 and back; number columns never.
        w.SelectCell(1, 6);
        f.Key(Qt::Key_Right);
        QCOMPARE(w.CurrentColumn(), 4);
        f.Key(Qt::Key_Right);
        QCOMPARE(w.CurrentColumn(), 4);
        f.Key(Qt::Key_Left);
        QCOMPARE(w.CurrentColumn(), 1);
        f.Key(Qt::Key_Left);
        QCOMPARE(w.CurrentColumn(), 1);
        f.Key(Qt::Key_Down);
        QCOMPARE(w.CurrentRow(), 7);
        f.Click(0, 2);
        f.Click(3, 2);
        f.Click(2, 2);
        QCOMPARE(w.CurrentRow(), 7);
        QCOMPARE(w.CurrentColumn(), 1);
        f.Click(4, 9);
        QCOMPARE(w.CurrentRow(), 9);
        QCOMPARE(w.CurrentColumn(), 4);

        // Pasting into the cell follows the typing rules.
        f.Type(QStringLiteral("1"));
        QApplication::clipboard()->setText(QStringLiteral("-1a2,5,7"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.EditorText(), QStringLiteral("1-12,57"));
        f.Key(Qt::Key_Return);
        QCOMPARE(w.Panel1->text(), QStringLiteral("Invalid entry!"));
        f.Key(Qt::Key_Escape);

        // No decimals: no comma; the limits are -9999999 and 99999999.
        ParameterValues[203] = 0;
        w.InitSollwertStringgrid();
        w.SelectCell(1, 23);
        f.Type(QStringLiteral("1,5."));
        QCOMPARE(f.EditorText(), QStringLiteral("15"));
        w.CellEditor()->clear();
        f.Type(QStringLiteral("-10000000"));
        f.Key(Qt::Key_Return);
        QCOMPARE(w.Panel1->text(), QStringLiteral("Invalid entry!"));
        QCOMPARE(SetpointValues[23], 2300);
        w.CellEditor()->clear();
        f.Type(QStringLiteral("-9999999"));
        f.Key(Qt::Key_Return);
        QVERIFY(w.Panel1->text().isEmpty());
        QCOMPARE(SetpointValues[23], -9999999);
        QCOMPARE(w.CurrentRow(), 24);
        // Enter in the last row stores and stays.
        f.Type(QStringLiteral("5"));
        f.Key(Qt::Key_Return);
        QCOMPARE(SetpointValues[24], 5);
        QCOMPARE(w.CurrentRow(), 24);
        QCOMPARE(w.Cell(1, 24), QStringLiteral("5"));
    }

    // Send asked for again within the write's first exchange: each "ws" once, in order, with its
    // value, and no computation.
    void sendAskedForTwiceWritesOnce()
    {
        Fixture f;
        TFormSchrijfParSoll writer(&f.h.port, &f.window);
        SetpointSource = TSetpointSource::File;
        f.h.sim.clearLog();
        QVERIFY(SendTwiceWithinAnExchange(*f.window.subParZenden, kWaitMs));
        std::vector<std::string> expected;
        for (int k = 1; k <= SetpointCount; ++k)
            expected.push_back("ws " + std::to_string(k) + " " + std::to_string(k * 100));
        QTest::qWait(200); // a second run would have begun by now
        QCOMPARE(f.h.Requests(), expected);
        QCOMPARE(f.h.sim.setpoint(0, 48).value_or(0), 4800);
        QCOMPARE(f.h.dialogs.asked.size(), std::size_t(0));
        SetpointSource = TSetpointSource::None;
    }

    void transfersAndFiles()
    {
        Fixture f;
        TFormEditSollwerten& w = f.window;
        FakeDialogs& dialogs = f.h.dialogs;

        // Nothing received or opened: five lines of warning, and No sends nothing.
        f.h.sim.clearLog();
        dialogs.messageAnswers.push_back(QMessageBox::No);
        w.subParZenden->trigger();
        QCOMPARE(dialogs.asked.back().text.split(QStringLiteral("\n\r")).size(), 5);
        QVERIFY(dialogs.asked.back().text.startsWith(QStringLiteral("No setpoints have been received")));
        QVERIFY(f.h.Requests().empty());

        // A cancelled read changes nothing; a complete one replaces all 48.
        for (int k = 1; k <= SetpointCount; ++k)
            f.h.sim.setSetpoint(0, k, -k);
        auto cancel = modal_windows::ClickWhenEnabled(QStringLiteral("FormLeesParSoll"), QStringLiteral("CmdCancel"), kWaitMs);
        TFormLeesParSoll reader(&f.h.port, &w);
        TFormSchrijfParSoll writer(&f.h.port, &w);
        w.subParOntvangen->trigger();
        QVERIFY(cancel->acted);
        QCOMPARE(SetpointValues[48], 4800);
        QCOMPARE(SetpointSource, TSetpointSource::None);
        auto ok = modal_windows::ClickWhenEnabled(QStringLiteral("FormLeesParSoll"), QStringLiteral("CmdOK"), kWaitMs);
        w.subParOntvangen->trigger();
        QVERIFY(ok->acted && !ok->expired);
        QCOMPARE(SetpointSource, TSetpointSource::Device);
        QCOMPARE(SetpointValues[1], -1);
        QCOMPARE(SetpointValues[48], -48);
        QCOMPARE(w.Cell(4, 24), QStringLiteral("-0,48"));

        // With a source the write runs at once.
        SetpointValues[10] = 12345;
        auto written = modal_windows::ClickWhenEnabled(QStringLiteral("FormSchrijfParSoll"), QStringLiteral("CmdOK"), kWaitMs);
        w.subParZenden->trigger();
        QVERIFY(written->acted && !written->expired);
        QCOMPARE(f.h.sim.setpoint(0, 10).value_or(0), 12345);

        // Save, open and save again: the same bytes, with the current unit number.
        QTemporaryDir dir;
        UnitNo = 3;
        dialogs.saveFileAnswers.push_back(dir.filePath(QStringLiteral("a")));
        w.subOpslaanAls->trigger();
        QFile a(dir.filePath(QStringLiteral("a.aps")));
        QVERIFY(a.open(QIODevice::ReadOnly));
        const QByteArray saved = a.readAll();
        QVERIFY(saved.startsWith("ASCII Sollwerten KM4x-XXX   No: 3\r\n\r\nS000 "));
        QVERIFY(saved.contains("\r\nS010 12345\r\n"));
        SetpointValues.fill(0);
        SetpointSource = TSetpointSource::None;
        dialogs.openFileAnswers.push_back(a.fileName());
        w.subOpenen->trigger();
        QCOMPARE(SetpointSource, TSetpointSource::File);
        QCOMPARE(w.Cell(1, 10), QStringLiteral("123,45"));
        dialogs.saveFileAnswers.push_back(dir.filePath(QStringLiteral("b.aps")));
        w.subOpslaanAls->trigger();
        QFile b(dir.filePath(QStringLiteral("b.aps")));
        QVERIFY(b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), saved);

        // A parameter file is no setpoint file: refused, nothing changes.
        QFile wrong(dir.filePath(QStringLiteral("wrong.aps")));
        QVERIFY(wrong.open(QIODevice::WriteOnly));
        wrong.write("ASCII Parameters KM4x-XXX   No: 0\r\n\r\n");
        wrong.close();
        dialogs.openFileAnswers.push_back(wrong.fileName());
        w.subOpenen->trigger();
        QCOMPARE(dialogs.asked.back().text, QStringLiteral("This file is not a setpoint file."));
        QCOMPARE(SetpointValues[10], 12345);

        // An entry typed but not confirmed with Enter: Par zenden takes it over, as Enter would,
        // before it hands the values to the write window (here the warning's No stops it there).
        auto focusGrid = [&w] {
            w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            w.StringGrid1->setFocus();
        };
        focusGrid();
        w.SelectCell(1, 10);
        f.Type(QStringLiteral("55"));
        QVERIFY(w.Editing());
        SetpointSource = TSetpointSource::None;
        dialogs.messageAnswers.push_back(QMessageBox::No);
        const std::size_t questions = dialogs.asked.size();
        w.subParZenden->trigger();
        QCOMPARE(dialogs.asked.size(), questions + 1);
        QCOMPARE(SetpointValues[10], 5500);
        QCOMPARE(w.Cell(1, 10), QStringLiteral("55,00"));
        QVERIFY(!w.Editing());
        SetpointSource = TSetpointSource::File;
        // Printing takes it over too.
        focusGrid();
        w.SelectCell(1, 12);
        f.Type(QStringLiteral("3"));
        w.subAfdrukken->trigger();
        QCOMPARE(SetpointValues[12], 300);
        // One that cannot be read is refused as Enter refuses it: nothing is sent, and closing
        // does not go ahead over it; the old value is back, so closing again does.
        focusGrid();
        w.SelectCell(1, 13);
        f.Type(QStringLiteral("1-2"));
        f.h.sim.clearLog();
        w.subParZenden->trigger();
        QCOMPARE(w.Panel1->text(), QStringLiteral("Invalid entry!"));
        QVERIFY(f.h.Requests().empty());
        QCOMPARE(f.EditorText(), QStringLiteral("-0,13"));
        f.Type(QStringLiteral("1-2"));
        w.close();
        QVERIFY(w.isVisible());
        QCOMPARE(SetpointValues[13], -13);
        w.close();
        QVERIFY(!w.isVisible());
        QCOMPARE(SetpointValues[13], -13);
    }
};

KMT40_GUI_TEST_MAIN(EditSollwertenTest)
#include "EditSollwertenTest.moc"

// The parameter editor through its real controls, with the shipped data files and the main window
// connected to the simulator: menus and list, the clear button, the single-parameter dialog and
// "wp", the close check, the transfers, the files, and tree files that are missing or damaged.

#include "EditorHarness.h"
#include "SendWithinAnExchange.h"
#include "support/AccessibleReading.h"

#include "app/core/Functies.h"
#include "params/EditParam.h"
#include "params/FilteredLineEdit.h"
#include "params/LeesParSoll.h"
#include "params/ParLoader.h"
#include "params/ParamService.h"
#include "params/SchrijfParSoll.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterMenuMap.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QFile>
#include <QHeaderView>
#include <QSpinBox>
#include <QLabel>
#include <QTableWidget>
#include <QTreeWidget>

using namespace editor_test;

namespace {

void Activate(QWidget& Window)
{
    Window.show();
    Window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Window));
}

QByteArray ParameterFile(int Unit, int32_t Offset)
{
    QByteArray file = "ASCII Parameters KM4x-XXX   No: " + QByteArray::number(Unit) + "\r\n\r\n";
    for (int n = 0; n < ParameterCount; ++n)
        file += "P" + QByteArray::number(n).rightJustified(3, '0') + " " + QByteArray::number(n * 3 - Offset) + "\r\n";
    return file;
}

} // namespace

class EditParamTest : public QObject {
    Q_OBJECT

private slots:
    void menusFillTheListAndClearZeroesExactlyTheListed()
    {
        EditorHarness h;
        // The main window's Edit menu opens both editors modally.
        auto closeWhenShown = [](const char* Name) {
            return modal_windows::When(
                QString::fromLatin1(Name), [](QWidget*) { return true; }, [](QWidget* window) { window->close(); },
                kWaitMs);
        };
        auto parameters = closeWhenShown("FormEditParam");
        h.main->Par11->trigger();
        QVERIFY(parameters->acted && !parameters->expired);
        auto setpoints = closeWhenShown("FormEditSollwerten");
        h.main->Par21->trigger();
        QVERIFY(setpoints->acted && !setpoints->expired);

        TFormEditParam& editor = *FormEditParam;
        Activate(editor);
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edit parameters"));
        QTreeWidgetItem* root = editor.TreeView1->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("KM40 parameters"));
        QCOMPARE(editor.TreeView1->currentItem(), root);
        QVERIFY(root->isExpanded());
        QVERIFY(editor.Cell(1, 1).isEmpty()); // the root lists nothing
        QCOMPARE(editor.StringGrid1->horizontalHeaderItem(3)->text(), QStringLiteral("Value"));
        QVERIFY(editor.StringGrid1->horizontalHeaderItem(3)->textAlignment() & Qt::AlignRight);
        QVERIFY(!editor.subParOntvangen->isEnabled()); // the port is closed
        QVERIFY(!editor.CmdClear->isEnabled());

        // Submenu 2 of menu 2 ("Reference") is section 202 of the menu map.
        ParameterValues[212] = 1;
        editor.TreeView1->setCurrentItem(editor.TreeNode(2, 2));
        QCOMPARE(editor.TreeView1->currentItem()->text(0), QStringLiteral("Reference"));
        QCOMPARE(editor.Cell(0, 1), QStringLiteral("2.2.1"));
        QCOMPARE(editor.Cell(1, 1), QStringLiteral("200"));
        QCOMPARE(editor.Cell(2, 1), QStringLiteral("Function of input K0"));
        QCOMPARE(editor.Cell(1, 4), QStringLiteral("212"));
        QCOMPARE(editor.Cell(3, 4), QStringLiteral("1"));
        QCOMPARE(editor.Cell(4, 4), QStringLiteral("With index pulse"));
        ParameterValues[212] = 9; // no such option
        editor.InitParameterStringgrid();
        QCOMPARE(editor.Cell(4, 4), QStringLiteral("########"));
        QVERIFY(editor.Cell(0, 5).isEmpty());

        // Selecting a row shows its limits; they stay only while the list has the focus, and so
        // does the highlight.
        editor.StringGrid1->setFocus();
        editor.SelectRow(2);
        QCOMPARE(QString::fromStdString(SelectedParameter.Number), QStringLiteral("210"));
        QCOMPARE(editor.StatusPanelText(0), QStringLiteral("Min:"));
        QCOMPARE(editor.StatusPanelText(1), QString::fromStdString(FormatFixed(9, ParameterCatalogue.Min(210))));
        QCOMPARE(editor.StatusPanelText(5), QString::fromStdString(FormatFixed(9, ParameterCatalogue.Default(210))));
        // A screen reader hears the panel's name and the limit it shows.
        const AccessibleReading min = ReadAccessible(&editor, editor.StatusPanels[1]);
        QCOMPARE(min.name, QStringLiteral("Min"));
        QCOMPARE(min.value, editor.StatusPanelText(1));
        QCOMPARE(min.text, min.value);
        QVERIFY(editor.ListHighlightsSelection());
        editor.TreeView1->setFocus();
        QVERIFY(!editor.ListHighlightsSelection());
        QVERIFY(editor.StatusPanelText(1).isEmpty());
        QVERIFY(editor.StatusPanelText(5).isEmpty());

        // Menu 9 (the cams) may be cleared: exactly the parameters listed become 0.
        editor.TreeView1->setCurrentItem(editor.TreeNode(9, 3));
        QVERIFY(editor.CmdClear->isEnabled());
        QCOMPARE(editor.Cell(0, 1), QStringLiteral("9.3.1"));
        std::set<int> listed;
        for (int row = 1; row <= TFormEditParam::RowCount; ++row)
            if (!editor.Cell(1, row).isEmpty())
                listed.insert(editor.Cell(1, row).toInt());
        QVERIFY(listed.size() >= 4);
        ParameterValues.fill(7);
        QTest::mouseClick(editor.CmdClear, Qt::LeftButton);
        for (int n = 0; n < ParameterCount; ++n)
            QCOMPARE(ParameterValues[static_cast<std::size_t>(n)], listed.count(n) ? 0 : 7);
        QCOMPARE(editor.Cell(3, 1), QStringLiteral("0"));
        editor.TreeView1->setCurrentItem(editor.TreeNode(1, 0));
        QVERIFY(!editor.CmdClear->isEnabled());
    }

    void oneValueIsEditedSentAndTheCloseCheckFollows()
    {
        EditorHarness h;
        QVERIFY(h.OpenPort());
        TFormEditParam& editor = *FormEditParam;
        ParameterValues[PositionDecimalsParameter] = 2;
        ParameterSource = TParameterSource::Defaults;
        Activate(editor);
        QVERIFY(editor.subParOntvangen->isEnabled());
        editor.TreeView1->setCurrentItem(editor.TreeNode(2, 2));

        // Enter on a row opens the dialog too; Cancel changes nothing.
        editor.StringGrid1->setFocus();
        editor.SelectRow(2);
        auto cancelled = modal_windows::ClickWhenEnabled(QStringLiteral("FormParamService"), QStringLiteral("CmdCancel"), kWaitMs);
        QTest::keyClick(editor.StringGrid1, Qt::Key_Return);
        QVERIFY(cancelled->acted);
        QCOMPARE(ParameterValues[210], 0);

        // A double-click opens it for the row; "Zenden" writes the value, OK closes.
        h.sim.clearLog();
        auto send = modal_windows::When(
            QStringLiteral("FormParamService"), [](QWidget*) { return true; },
            [](QWidget* dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("[210]   Preset value"));
                TypeValue(dialog, QStringLiteral("12,5"));
                modal_windows::Button(dialog, QStringLiteral("CmdZenden"))->click();
            },
            kWaitMs);
        auto written = modal_windows::When(
            QStringLiteral("FormParamService"),
            [](QWidget* dialog) {
                return dialog->findChild<QLabel*>(QStringLiteral("PanelService"))->text() ==
                       QStringLiteral("Value written; not yet loaded.");
            },
            [](QWidget* dialog) { modal_windows::Button(dialog, QStringLiteral("CmdOK"))->click(); }, kWaitMs);
        DoubleClickRow(editor, 2);
        QVERIFY(send->acted);
        QVERIFY(written->acted && !written->expired);
        QCOMPARE(ParameterValues[210], 1250);
        QCOMPARE(editor.Cell(3, 2), QStringLiteral("12,50"));
        QCOMPARE(QString::fromStdString(SelectedParameter.ValueText), QStringLiteral("12,50"));
        QVERIFY(h.Requested("wp 210 1250"));
        QCOMPARE(h.sim.parameter(0, 210).value_or(0), 1250);
        QVERIFY(ParametersSentNotLoaded);

        // Closing asks, with the text wrapped to 42 columns; No keeps the window open.
        h.dialogs.messageAnswers.push_back(QMessageBox::No);
        editor.close();
        QVERIFY(editor.isVisible());
        const FakeDialogs::Asked& asked = h.dialogs.asked.back();
        QCOMPARE(asked.caption, QStringLiteral("Warning"));
        QCOMPARE(asked.icon, QMessageBox::Warning);
        QVERIFY(asked.text.startsWith(QStringLiteral("Parameter values have been sent to the \r\n")));
        for (const QString& line : asked.text.split(QStringLiteral("\r\n")))
            QVERIFY2(line.size() <= 42, qPrintable(line));
        // Opened again, the editor still knows the value is not computed.
        editor.hide();
        Activate(editor);
        QVERIFY(ParametersSentNotLoaded);

        // After the loader computed the set, closing asks nothing.
        auto loaded = modal_windows::When(
            QStringLiteral("FormParLoader"),
            [](QWidget*) { return FormParLoader->Computation().View().Outcome == TTransferOutcome::Finished; },
            [](QWidget* loader) { modal_windows::Button(loader, QStringLiteral("CmdOK"))->click(); }, kWaitMs);
        editor.subLoader->trigger();
        QVERIFY(loaded->acted);
        QVERIFY(!ParametersSentNotLoaded);
        const std::size_t questions = h.dialogs.asked.size();
        editor.subAfsluiten->trigger();
        QVERIFY(!editor.isVisible());
        QCOMPARE(h.dialogs.asked.size(), questions);
    }

    void transfersChangeTheTableOnlyOnOK()
    {
        EditorHarness h;
        h.main->ZBComm1.SetFastReplyEnd(true); // what is tested here does not depend on how a reply ends
        QVERIFY(h.OpenPort());
        TFormEditParam& editor = *FormEditParam;
        Activate(editor);

        // Printing what was never received, opened or loaded asks first; Yes prints.
        auto printout = modal_windows::ClickWhenEnabled(QStringLiteral("FormAfdrukkenPar"), QStringLiteral("CmdCancel"), kWaitMs);
        h.dialogs.messageAnswers.push_back(QMessageBox::Yes);
        editor.subAfdrukken->trigger();
        QVERIFY(printout->acted);
        QCOMPARE(h.dialogs.asked.back().text.split(QStringLiteral("\n\r")).size(), 6);
        QVERIFY(h.dialogs.asked.back().text.startsWith(QStringLiteral("No parameters have been received")));

        // Nothing received, opened or loaded: six lines of warning, and No sends nothing.
        h.sim.clearLog();
        h.dialogs.messageAnswers.push_back(QMessageBox::No);
        {
            modal_windows::RefuseModal noWrite(QStringLiteral("FormSchrijfParSoll"));
            editor.subParZenden->trigger();
            QVERIFY(!noWrite.Opened());
        }
        QCOMPARE(h.dialogs.asked.back().caption, QStringLiteral("Warning"));
        QCOMPARE(h.dialogs.asked.back().text.split(QStringLiteral("\n\r")).size(), 6);
        QVERIFY(h.dialogs.asked.back().text.startsWith(QStringLiteral("No parameters have been received")));
        QVERIFY(h.Requests().empty());

        // A read that is cancelled leaves the table and its source alone.
        ParameterValues.fill(5);
        for (int n = 0; n < ParameterCount; ++n)
            h.sim.setParameter(0, n, 1000 + n);
        auto cancel = modal_windows::ClickWhenEnabled(QStringLiteral("FormLeesParSoll"), QStringLiteral("CmdCancel"), kWaitMs);
        editor.subParOntvangen->trigger();
        QVERIFY(cancel->acted);
        QCOMPARE(ParameterValues[399], 5);
        QCOMPARE(ParameterSource, TParameterSource::None);

        // A complete read replaces it, and the list shows it.
        editor.TreeView1->setCurrentItem(editor.TreeNode(2, 2));
        auto ok = modal_windows::ClickWhenEnabled(QStringLiteral("FormLeesParSoll"), QStringLiteral("CmdOK"), kWaitMs);
        editor.subParOntvangen->trigger();
        QVERIFY(ok->acted && !ok->expired);
        QCOMPARE(ParameterSource, TParameterSource::Device);
        QCOMPARE(ParameterValues[0], 1000);
        QCOMPARE(ParameterValues[399], 1399);
        QCOMPARE(editor.Cell(1, 2), QStringLiteral("210"));
        QCOMPARE(editor.Cell(3, 2), QString::fromStdString(FormatFixed(9, 1210)));

        // With a source the write window opens at once; cancelled, nothing counts as computed.
        ParametersSentNotLoaded = true;
        const std::size_t questions = h.dialogs.asked.size();
        auto stop = modal_windows::ClickWhenEnabled(QStringLiteral("FormSchrijfParSoll"), QStringLiteral("CmdCancel"), kWaitMs);
        editor.subParZenden->trigger();
        QVERIFY(stop->acted);
        QCOMPARE(h.dialogs.asked.size(), questions);
        QVERIFY(ParametersSentNotLoaded);
        ParametersSentNotLoaded = false;
    }

    // Send asked for again within the write's first exchange: each "wp" once, in order, with its
    // value, then one "bp"; the editor's table stays and the values count as computed.
    void sendAskedForTwiceWritesOnce()
    {
        EditorHarness h;
        h.main->ZBComm1.SetFastReplyEnd(true);
        QVERIFY(h.OpenPort());
        TFormEditParam& editor = *FormEditParam;
        Activate(editor);
        for (int n = 0; n < ParameterCount; ++n)
            ParameterValues[static_cast<std::size_t>(n)] = *h.sim.parameter(0, n) + (n == 0 ? 0 : 1);
        ParameterSource = TParameterSource::File;
        const TParameterValues table = ParameterValues;
        h.sim.clearLog();
        QVERIFY(SendTwiceWithinAnExchange(*editor.subParZenden, kWaitMs));
        std::vector<std::string> expected;
        for (int n = 0; n < ParameterCount; ++n)
            expected.push_back("wp " + std::to_string(n) + " " + std::to_string(table[static_cast<std::size_t>(n)]));
        expected.push_back("bp");
        QTest::qWait(200); // a second run would have begun by now
        QCOMPARE(h.Requests(), expected);
        QCOMPARE(*h.sim.parameter(0, 399), table[399]);
        QVERIFY(ParameterValues == table);
        QVERIFY(!ParametersSentNotLoaded);
        QCOMPARE(h.dialogs.asked.size(), std::size_t(0));
    }

    void filesRoundTripWithTheUnitTheMainWindowShows()
    {
        EditorHarness h;
        TFormEditParam& editor = *FormEditParam;
        Activate(editor);
        h.dir.Write(QStringLiteral("in.app"), ParameterFile(0, 500));
        h.dialogs.openFileAnswers.push_back(h.dir.File(QStringLiteral("in.app")));
        editor.subOpenen->trigger();
        QCOMPARE(ParameterSource, TParameterSource::File);
        QCOMPARE(ParameterValues[0], -500);
        QCOMPARE(ParameterValues[399], 399 * 3 - 500);

        // One value changed through the dialog (OK only: nothing is sent).
        editor.TreeView1->setCurrentItem(editor.TreeNode(1, 0));
        const int n = editor.Cell(1, 1).toInt();
        QCOMPARE(ParameterCatalogue.Dec(n), 0);
        auto edited = modal_windows::When(
            QStringLiteral("FormParamService"), [](QWidget*) { return true; },
            [](QWidget* dialog) {
                TypeValue(dialog, QStringLiteral("7"));
                modal_windows::Button(dialog, QStringLiteral("CmdOK"))->click();
            },
            kWaitMs);
        DoubleClickRow(editor, 1);
        QVERIFY(edited->acted);
        QCOMPARE(ParameterValues[static_cast<std::size_t>(n)], 7);
        QVERIFY(!ParametersSentNotLoaded);

        // The unit selected now in the main window goes into line 1.
        h.main->SpinEditUnitSelect->setValue(5);
        h.dialogs.saveFileAnswers.push_back(h.dir.File(QStringLiteral("out")));
        editor.subOpslaanAls->trigger();
        QByteArray expected = ParameterFile(5, 500);
        const QByteArray oldLine = "P" + QByteArray::number(n).rightJustified(3, '0') + " " + QByteArray::number(n * 3 - 500);
        expected.replace(oldLine + "\r\n", "P" + QByteArray::number(n).rightJustified(3, '0') + " 7\r\n");
        const QByteArray saved = h.dir.Read(QStringLiteral("out.app"));
        QCOMPARE(saved, expected);

        // Open and save again: the same bytes.
        h.dialogs.openFileAnswers.push_back(h.dir.File(QStringLiteral("out.app")));
        editor.subOpenen->trigger();
        h.dialogs.saveFileAnswers.push_back(h.dir.File(QStringLiteral("again.app")));
        editor.subOpslaanAls->trigger();
        QCOMPARE(h.dir.Read(QStringLiteral("again.app")), saved);

        // A short file is refused with its message, and nothing changes.
        QByteArray shortFile = ParameterFile(0, 0);
        shortFile.chop(shortFile.size() - shortFile.lastIndexOf("P399"));
        h.dir.Write(QStringLiteral("short.app"), shortFile);
        h.dialogs.openFileAnswers.push_back(h.dir.File(QStringLiteral("short.app")));
        editor.subOpenen->trigger();
        QCOMPARE(h.dialogs.asked.back().text,
                 QStringLiteral("The file does not contain exactly 400 parameter values. Nothing has been loaded."));
        QCOMPARE(ParameterValues[static_cast<std::size_t>(n)], 7);

        // Factory defaults replace every value and say so.
        editor.subLaadDefault->trigger();
        QCOMPARE(ParameterSource, TParameterSource::Defaults);
        QCOMPARE(ParameterValues[1], ParameterCatalogue.Default(1));
        QCOMPARE(h.dialogs.asked.back().icon, QMessageBox::Information);
    }

    void comparingWithAFileMarksTheDifferingRows()
    {
        EditorHarness h;
        TFormEditParam& editor = *FormEditParam;
        Activate(editor);
        QVERIFY(!editor.subVerschillen->isEnabled());
        ParameterValues = CatalogueDefaultValues();
        h.dialogs.saveFileAnswers.push_back(h.dir.File(QStringLiteral("ref.app")));
        editor.subOpslaanAls->trigger();
        ParameterValues[210] += 777;
        ParameterValues[212] = 1;

        h.dialogs.openFileAnswers.push_back(h.dir.File(QStringLiteral("ref.app")));
        editor.subVergelijken->trigger();
        QCOMPARE(h.dialogs.asked.back().text, QStringLiteral("Parameter and backup files (*.app *.bak)"));
        QCOMPARE(editor.StatusPanelText(6), QStringLiteral("2 differences from ref.app"));
        editor.TreeView1->setCurrentItem(editor.TreeNode(2, 2));
        QVERIFY(!editor.RowMarked(1));
        QVERIFY(editor.RowMarked(2)); // 210
        QVERIFY(!editor.RowMarked(3));
        QVERIFY(editor.RowMarked(4)); // 212
        editor.TreeView1->setCurrentItem(editor.TreeNode(1, 0));
        for (int row = 1; row <= TFormEditParam::RowCount; ++row)
            QVERIFY(!editor.RowMarked(row));

        // Editing a value back removes its mark.
        ParameterValues[210] -= 777;
        editor.InitParameterStringgrid();
        QCOMPARE(editor.StatusPanelText(6), QStringLiteral("1 differences from ref.app"));

        // The list copies the lines kmt40-cli diff prints and saves them as CSV.
        QString copied;
        auto list = modal_windows::When(
            QStringLiteral("FormVerschillen"), [](QWidget*) { return true; },
            [&copied](QWidget* window) {
                modal_windows::Button(window, QStringLiteral("CmdKopieren"))->click();
                copied = QGuiApplication::clipboard()->text();
                modal_windows::Button(window, QStringLiteral("CmdOpslaanCsv"))->click();
                modal_windows::Button(window, QStringLiteral("CmdSluiten"))->click();
            },
            kWaitMs);
        h.dialogs.saveFileAnswers.push_back(h.dir.File(QStringLiteral("differences")));
        editor.subVerschillen->trigger();
        QVERIFY(list->acted);
        QCOMPARE(copied, QStringLiteral("P212\tFine reference: 0 (Off) -> 1 (With index pulse)\n"));
        QCOMPARE(h.dir.Read(QStringLiteral("differences.csv")),
                 QByteArray("item,name,before,after\r\nP212,Fine reference,0 (Off),1 (With index pulse)\r\n"));

        // A setpoint file holds nothing to compare.
        QByteArray setpoints = "ASCII Sollwerten KM4x-XXX   No: 0\r\n\r\n";
        for (int k = 0; k <= 48; ++k)
            setpoints += "S" + QByteArray::number(k).rightJustified(3, '0') + " 0\r\n";
        h.dir.Write(QStringLiteral("set.aps"), setpoints);
        h.dialogs.openFileAnswers.push_back(h.dir.File(QStringLiteral("set.aps")));
        editor.subVergelijken->trigger();
        QCOMPARE(h.dialogs.asked.back().kind, FakeDialogs::Kind::Error);
        QVERIFY(h.dialogs.asked.back().text.startsWith(QStringLiteral("This file holds no parameters")));
        QCOMPARE(editor.StatusPanelText(6), QStringLiteral("1 differences from ref.app"));
        editor.hide();
    }

    void treeFilesMissingOrDamagedNeverShowWhatDoesNotExist()
    {
        EditorHarness h;
        TFormEditParam& editor = *FormEditParam;
        auto reopen = [&editor] {
            editor.hide();
            editor.show();
        };

        // No tree file: the menus of the menu map under their numbers, usable as ever.
        h.dir.Remove(QStringLiteral("Tree1.txt"));
        reopen();
        QCOMPARE(editor.TreeView1->topLevelItem(0)->text(0), QStringLiteral("Menus by number (no menu tree in Tree1.txt)"));
        QVERIFY(h.dialogs.asked.empty());
        QVERIFY(editor.TreeNode(2, 2));
        editor.TreeView1->setCurrentItem(editor.TreeNode(2, 2));
        QCOMPARE(editor.Cell(0, 1), QStringLiteral("2.2.1"));
        QCOMPARE(editor.Cell(1, 1), QStringLiteral("200"));
        QVERIFY(editor.TreeNode(9, 24));

        // An empty one: the same.
        h.dir.Write(QStringLiteral("Tree1.txt"), "\r\n\r\n");
        reopen();
        QVERIFY(editor.TreeNode(9, 24));

        // One that exists but cannot be read (reading this file fails, even for root): the error
        // box, then the menus by number.
        QVERIFY(QFile::remove(h.dir.File(QStringLiteral("Tree1.txt"))));
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), h.dir.File(QStringLiteral("Tree1.txt"))));
        reopen();
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 1);
        QCOMPARE(h.dialogs.asked.back().text,
                 QStringLiteral("EFOpenError error raised, with message : Cannot open file \"") +
                     h.dir.File(QStringLiteral("Tree1.txt")) + QStringLiteral("\""));
        QVERIFY(editor.TreeNode(9, 24));
        QVERIFY(QFile::remove(h.dir.File(QStringLiteral("Tree1.txt"))));
        h.dialogs.asked.clear();

        // Too deep: the error is shown and the nodes before it stay.
        h.dir.Write(QStringLiteral("Tree1.txt"), "Root\r\n\tOne\r\n\tTwo\r\n\t\t\tToo deep\r\n\tNever\r\n");
        reopen();
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 1);
        QVERIFY(h.dialogs.asked.back().text.startsWith(QStringLiteral("ETreeFormatError error raised, with message : ")));
        QCOMPARE(editor.TreeView1->topLevelItem(0)->childCount(), 2);

        // Binary rubbish and menu map entries outside 0..399: every list shows real parameters only.
        QByteArray rubbish;
        for (int i = 0; i < 4096; ++i)
            rubbish += char((i * 37 + i / 7) & 0xFF);
        h.dir.Write(QStringLiteral("Tree1.txt"), rubbish);
        reopen();
        ParameterMenuMap.LoadFromText("[100]\nParId1=500\nParId2=-7\nParId3=abc\nParId4=12\nParId18=399\nParId19=1\n"
                                      "[302]\nParId1=4\n");
        h.dir.Write(QStringLiteral("Tree1.txt"), "Root\r\n\tOne\r\n\tTwo\r\n\tThree\r\n\t\tA\r\n\t\tB\r\n\t\t\tDeeper\r\n");
        reopen();
        editor.TreeView1->setCurrentItem(editor.TreeNode(1, 0));
        QVERIFY(editor.Cell(1, 1).isEmpty());
        QVERIFY(editor.Cell(1, 2).isEmpty());
        QVERIFY(editor.Cell(1, 3).isEmpty());
        QCOMPARE(editor.Cell(1, 4), QStringLiteral("012"));
        QCOMPARE(editor.Cell(1, 18), QStringLiteral("399"));
        // Submenu 2 of menu 3 is section 302; a node deeper than a submenu lists its submenu.
        editor.TreeView1->setCurrentItem(editor.TreeNode(3, 2));
        QCOMPARE(editor.Cell(0, 1), QStringLiteral("3.2.1"));
        QTreeWidgetItem* deeper = editor.TreeNode(3, 2)->child(0);
        QVERIFY(deeper);
        editor.TreeView1->setCurrentItem(deeper);
        QCOMPARE(editor.MenuNumber() * 100 + editor.SubmenuNumber(), 302);
        editor.hide();
    }
};

KMT40_GUI_TEST_MAIN(EditParamTest)
#include "EditParamTest.moc"

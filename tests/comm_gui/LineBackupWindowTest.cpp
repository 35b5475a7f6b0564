// "Back up all..." of the device search window against four simulated units of different serial
// numbers: search the line, back up every unit into a folder, and find there the files and the
// manifest kmt40-cli line-backup writes; then Cancel during the third unit keeps units one and two
// and a manifest that says so. The window shows a progress bar for the line and one for the unit
// (both read by a screen reader with their values) and each unit's outcome in its grid.
#include "GuiTestMain.h"
#include "MainWindowHarness.h"
#include "ModalWindows.h"
#include "SearchWindowHarness.h"

#include "params/LijnBackup.h"
#include "params/core/LineManifest.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QTableWidget>

using namespace gui_test;

namespace {

const std::vector<int> LineUnits{1, 4, 7, 12};

std::string Serial(int Number)
{
    return "SN 0047" + std::to_string(100 + Number).substr(1);
}

km4x::UnitConfig LineUnit(int number)
{
    km4x::UnitConfig unit = Unit(number);
    unit.serialText = Serial(number);
    return unit;
}

QByteArray FileBytes(const QString& Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The manifest's rows without the times, which differ from run to run.
std::vector<TLineRow> Rows(const QString& Folder)
{
    const TManifestResult parsed = ParseLineManifest(FileBytes(Folder + QStringLiteral("/line.csv")).toStdString());
    std::vector<TLineRow> rows = parsed.Rows;
    for (TLineRow& row : rows)
        row.Time.clear();
    return rows;
}

QString Cell(const QTableWidget& Grid, int Row, int Column)
{
    const QTableWidgetItem* item = Grid.item(Row, Column);
    return item ? item->text() : QString();
}

} // namespace

class LineBackupWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowHarness> h;
    TFormApparaatZoeken* w = nullptr;

    // Searches the line to its end, going on after every find.
    void searchTheLine()
    {
        w->CmdStartZoeken->click();
        QTRY_VERIFY_WITH_TIMEOUT(w->PanelZoekTekst->text() == QStringLiteral("Search finished.") ||
                                     (w->CmdVerder->isEnabled() && (w->CmdVerder->click(), false)),
                                 kWaitMs * 3);
        QCOMPARE(w->FoundRows().size(), LineUnits.size());
        QVERIFY(w->CmdBackupAll->isEnabled());
    }

    QString folder(const QString& Name) const
    {
        const QString path = h->Dir().File(Name);
        QDir().mkpath(path);
        return path;
    }

private slots:
    void init()
    {
        std::vector<km4x::UnitConfig> units;
        for (int number : LineUnits)
            units.push_back(LineUnit(number));
        h = std::make_unique<MainWindowHarness>(units, 1, false);
        w = &ShowSearchWindow(*h, 1, 12);
        // The fast end of reply, to keep the transfers short; the reply end is not the subject.
        h->Form().ZBComm1.SetFastReplyEnd(true);
    }

    void cleanup()
    {
        w = nullptr;
        h.reset();
    }

    void backsUpEveryUnitAsTheToolDoesAndKeepsWhatIsDoneOnCancel()
    {
        QCOMPARE(w->CmdBackupAll->text(), QStringLiteral("Back up all..."));
        QVERIFY(!w->CmdBackupAll->isEnabled());
        searchTheLine();

        const QString all = folder(QStringLiteral("all"));
        h->dialogs.directoryAnswers.push_back(all);
        QStringList shown;
        QString lineBarValue;
        auto done = modal_windows::When(
            QStringLiteral("FormLijnBackup"),
            [](QWidget* window) { return static_cast<TFormLijnBackup*>(window)->CmdOK->isEnabled(); },
            [&](QWidget* window) {
                auto* b = static_cast<TFormLijnBackup*>(window);
                shown << b->windowTitle() << b->PanelStatus->text() << b->ProgressBarLijn->accessibleName()
                      << b->ProgressBarUnit->accessibleName();
                for (int row = 0; row < b->StringGridUnits->rowCount(); ++row)
                    shown << Cell(*b->StringGridUnits, row, 0) + QLatin1Char(' ') + Cell(*b->StringGridUnits, row, 3) +
                                 QLatin1Char(' ') + Cell(*b->StringGridUnits, row, 4);
                // The main window's error poll keeps quiet while this window has the line.
                h->Form().Timer1Timer();
                QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(b->ProgressBarLijn);
                if (bar && bar->valueInterface())
                    lineBarValue = bar->valueInterface()->currentValue().toString();
                b->CmdOK->click();
            },
            kWaitMs * 6);
        w->CmdBackupAll->click();
        QVERIFY(done->acted);
        QCOMPARE(h->dialogs.count(FakeDialogs::Kind::Directory), 1);
        QCOMPARE(shown, (QStringList{QStringLiteral("Line backup"), QStringLiteral("All units saved."),
                                     QStringLiteral("Line:"), QStringLiteral("Unit:"),
                                     QStringLiteral("01 01-SN_004701.bak ok"), QStringLiteral("04 04-SN_004704.bak ok"),
                                     QStringLiteral("07 07-SN_004707.bak ok"), QStringLiteral("12 12-SN_004712.bak ok")}));
        QCOMPARE(lineBarValue, QStringLiteral("4"));
        QTest::qWait(200);
        const std::vector<std::string> requests = h->Requests(true);
        QCOMPARE(std::count(requests.begin(), requests.end(), std::string("rf")), std::ptrdiff_t(0));
        // The search window stays, its list as it was.
        QVERIFY(w->isVisible());
        QCOMPARE(w->FoundRows().size(), LineUnits.size());

        // Cancel while the third unit is read: its replies slow down from parameter 50 on, so the
        // click lands in its read.
        km4x::Simulator& sim = h->Sim();
        sim.setRequestObserver([&sim](const km4x::RequestRecord& record) {
            if (record.unit == 7 && record.text == "rp 50")
                sim.setAnswerDelay(std::chrono::milliseconds(20));
        });
        const QString cancelled = folder(QStringLiteral("cancelled"));
        h->dialogs.directoryAnswers.push_back(cancelled);
        auto cancel = modal_windows::When(
            QStringLiteral("FormLijnBackup"),
            [](QWidget* window) {
                auto* b = static_cast<TFormLijnBackup*>(window);
                return b->Line().Current() == 2 && b->Line().ValuesDone() > 50;
            },
            [](QWidget* window) { static_cast<TFormLijnBackup*>(window)->CmdCancel->click(); }, kWaitMs * 6);
        QStringList outcome;
        auto close = modal_windows::When(
            QStringLiteral("FormLijnBackup"),
            [&](QWidget* window) { return cancel->acted && static_cast<TFormLijnBackup*>(window)->CmdOK->isEnabled(); },
            [&](QWidget* window) {
                auto* b = static_cast<TFormLijnBackup*>(window);
                outcome << b->PanelStatus->text() << QString::number(b->ProgressBarLijn->value());
                for (int row = 0; row < b->StringGridUnits->rowCount(); ++row)
                    outcome << Cell(*b->StringGridUnits, row, 4);
                b->CmdOK->click();
            },
            kWaitMs * 6);
        w->CmdBackupAll->click();
        sim.setRequestObserver(nullptr);
        sim.setAnswerDelay(std::chrono::milliseconds(0));
        QVERIFY(cancel->acted && close->acted);
        QCOMPARE(outcome.mid(0, 4), (QStringList{QStringLiteral("Cancelled; the units finished before are kept."),
                                                 QStringLiteral("4"), QStringLiteral("ok"), QStringLiteral("ok")}));
        QVERIFY2(outcome[4].startsWith(QStringLiteral("interrupted at P")), qPrintable(outcome[4]));
        QCOMPARE(outcome[5], QStringLiteral("not started (cancelled)"));
        const std::vector<TLineRow> kept = Rows(cancelled);
        QCOMPARE(kept.size(), LineUnits.size());
        QCOMPARE(kept[0].Status, std::string("ok"));
        QCOMPARE(kept[1].Status, std::string("ok"));
        QCOMPARE(kept[2].Status, outcome[4].toStdString());
        QVERIFY(QFile::exists(cancelled + QStringLiteral("/04-SN_004704.bak")));
        QVERIFY(!QFile::exists(cancelled + QStringLiteral("/07-SN_004707.bak")));
        QCOMPARE(QDir(cancelled).entryList(QDir::Files).size(), 3);

        // No folder chosen: nothing happens.
        w->CmdBackupAll->click();
        QCOMPARE(h->dialogs.count(FakeDialogs::Kind::Directory), 3);

        // A folder another run is writing into (kmt40-cli on another port): refused, nothing sent or moved.
        {
            const TLineFolderLock other(all.toStdString());
            QVERIFY(other.Held());
            const QStringList before = QDir(all).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
            const std::size_t sent = h->Requests(true).size();
            h->dialogs.directoryAnswers.push_back(all);
            QString refusal;
            auto refused = modal_windows::When(
                QStringLiteral("FormLijnBackup"),
                [](QWidget* window) { return static_cast<TFormLijnBackup*>(window)->CmdOK->isEnabled(); },
                [&](QWidget* window) {
                    auto* b = static_cast<TFormLijnBackup*>(window);
                    refusal = b->PanelStatus->text();
                    b->CmdOK->click();
                },
                kWaitMs * 6);
            w->CmdBackupAll->click();
            QVERIFY(refused->acted);
            QVERIFY2(refusal.contains(QStringLiteral("another line backup is writing into this folder")), qPrintable(refusal));
            QCOMPARE(QDir(all).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
            QCOMPARE(h->Requests(true).size(), sent);
        }

        // Cancel closes the port, which the tool opens next.
        w->CmdCancel->click();
        // kmt40-cli beside the same application.ini ([Poorten] maps COM1 to the simulator).
        const QString cli = h->Dir().File(QStringLiteral("kmt40-cli"));
        QVERIFY(QFile::copy(QStringLiteral(KMT40_CLI_PATH), cli));
        QFile::setPermissions(cli, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
        QProcess process;
        const QString tool = h->Dir().File(QStringLiteral("tool"));
        process.start(cli, {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--fast"),
                            QStringLiteral("line-backup"), tool, QStringLiteral("--units"), QStringLiteral("1,4,7,12")});
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        const std::vector<TLineRow> rows = Rows(all);
        QCOMPARE(rows.size(), LineUnits.size());
        const std::vector<TLineRow> toolRows = Rows(tool);
        QCOMPARE(toolRows.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const QString name = QString::fromStdString(rows[i].File);
            QCOMPARE(rows[i].Status, std::string("ok"));
            QCOMPARE(rows[i].Serial, Serial(LineUnits[i]));
            QCOMPARE(FileBytes(all + QLatin1Char('/') + name).size(), 16020);
            QCOMPARE(FileBytes(all + QLatin1Char('/') + name), FileBytes(tool + QLatin1Char('/') + name));
            QCOMPARE(CsvOf(rows[i]), CsvOf(toolRows[i]));
        }

    }

private:
    static std::string CsvOf(const TLineRow& Row) { return FormatLineManifest({Row}); }
};

KMT40_GUI_TEST_MAIN(LineBackupWindowTest)
#include "LineBackupWindowTest.moc"

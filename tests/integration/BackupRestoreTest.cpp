// "Backup KM40..." and "Restore KM40..." as a user runs them: the whole controller into a file, and
// a file back into the controller after the warning - or nothing at all when the user says No or
// the file is not a good backup.
#include "support/GuiTestMain.h"
#include "IntegrationHarness.h"

#include "ParameterCheck.h"
#include "params/LeesParSoll.h"
#include "params/SchrijfParSoll.h"
#include "params/core/BackupFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>

using namespace integration;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Little-endian, read by hand rather than with the program's own reader.
int32_t Int32At(const QByteArray& bytes, int offset)
{
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
    return static_cast<int32_t>(bits);
}

int ComputeCount(km4x::Simulator& sim)
{
    int count = -1;
    sim.withUnit(kUnit, [&count](km4x::ControllerUnit& unit) { count = unit.computeCount; });
    return count;
}

} // namespace

class BackupRestoreTest : public QObject {
    Q_OBJECT

private slots:
    void backupWritesTheWholeControllerIntoAFile()
    {
        ProgramHarness p;
        SetDistinctiveValues(p.Sim());
        // The user's choice of a fast end of reply (the serial settings window); the transfers and
        // files are what is tested here, and they are the same either way.
        p.Form().ZBComm1.SetFastReplyEnd(true);
        QVERIFY(p.OpenPortAndIdentify());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kopie.bak"));
        p.Dialogs().saveFileAnswers.push_back(path);

        QAction* backup = p.MenuItem("Backup1");
        QVERIFY(backup->isEnabled());
        auto ok = modal_windows::ClickWhenEnabled(QStringLiteral("FormLeesParSoll"), QStringLiteral("CmdOK"), kRunMs);
        backup->trigger();
        QVERIFY(ok->acted);
        QVERIFY(!ok->expired);
        QCOMPARE(FormLeesParSoll->windowTitle(), ProgramHarness::Text("LeesParSoll", "CaptionMode3"));
        QCOMPARE(p.Requests(), ReadEverythingRequests());
        QCOMPARE(p.Dialogs().count(FakeDialogs::Kind::SaveFile), 1);
        QCOMPARE(p.Dialogs().asked.back().caption, ProgramHarness::Text("BackupRestore", "SaveCaption"));

        // Nothing but the backup itself is left in the directory.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("kopie.bak")});
        const QByteArray bytes = ReadAll(path);
        QCOMPARE(bytes.size(), 16020);
        QCOMPARE(bytes.left(8), QByteArray("\x30\x41\xAB\x00\x30\x41\xAB\x00", 8));
        QCOMPARE(bytes.right(8), QByteArray("\x15\xCD\x5B\x07\x15\xCD\x5B\x07", 8));
        for (int n = 0; n < 2001; ++n)
            QCOMPARE(Int32At(bytes, 8 + 4 * n), n < 400 ? DistinctiveParameter(n) : 0);
        for (int k = 0; k < 2000; ++k)
            QCOMPARE(Int32At(bytes, 8012 + 4 * k), k < 48 ? DistinctiveSetpoint(k + 1) : 0);

        // A backup is no receive: the program's tables stay as they were.
        QCOMPARE(ParameterSource, TParameterSource::None);
        QCOMPARE(SetpointSource, TSetpointSource::None);
        QCOMPARE(ParameterValues[1], 0);
    }

    void restoreSendsOnlyAGoodFileAndOnlyOnYes()
    {
        ProgramHarness p;
        // The user's choice of a fast end of reply (the serial settings window); the transfers and
        // files are what is tested here, and they are the same either way.
        p.Form().ZBComm1.SetFastReplyEnd(true);
        QVERIFY(p.OpenPortAndIdentify());
        QTemporaryDir dir;

        // The controller's own values with a few changed, so that its "bp" check accepts them.
        std::array<int32_t, 400> parameters{};
        std::array<int32_t, 48> setpoints{};
        km4x::ParameterTable check{};
        for (int n = 0; n < 400; ++n)
            parameters[n] = *p.Sim().parameter(kUnit, n);
        parameters[0] = -1;
        parameters[100] = 123456;
        parameters[399] = -77777;
        for (int k = 0; k < 48; ++k)
            setpoints[k] = (k % 2 ? -1 : 1) * (k + 1) * 1000;
        std::copy(parameters.begin(), parameters.end(), check.begin());
        QCOMPARE(km4x::CheckParameters(check), -1);
        const QString good = dir.filePath(QStringLiteral("nieuw.bak"));
        QVERIFY(SaveBackupFile(good.toStdString(), parameters, setpoints).Ok());
        // The same file with its second start marker changed.
        QByteArray changed = ReadAll(good);
        changed[5] = '\x42';
        const QString bad = dir.filePath(QStringLiteral("kapot.bak"));
        QFile badFile(bad);
        QVERIFY(badFile.open(QIODevice::WriteOnly));
        badFile.write(changed);
        badFile.close();

        QAction* restore = p.MenuItem("Restore1");
        QVERIFY(restore->isEnabled());
        // No: the warning names the file, and nothing is written.
        p.Dialogs().openFileAnswers.push_back(good);
        p.Dialogs().messageAnswers.push_back(QMessageBox::No);
        {
            modal_windows::RefuseModal noWrite(QStringLiteral("FormSchrijfParSoll"));
            restore->trigger();
            QVERIFY(!noWrite.Opened());
        }
        QCOMPARE(p.Dialogs().count(FakeDialogs::Kind::Message), 1);
        const FakeDialogs::Asked warning = p.Dialogs().asked.back();
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QCOMPARE(warning.caption, ProgramHarness::Text("BackupRestore", "Msg_waarschuwingCaption"));
        QVERIFY(warning.text.contains(QDir::toNativeSeparators(good)));

        // A changed marker: refused with its message, no warning, nothing written.
        p.Dialogs().asked.clear();
        p.Dialogs().openFileAnswers.push_back(bad);
        {
            modal_windows::RefuseModal noWrite(QStringLiteral("FormSchrijfParSoll"));
            restore->trigger();
            QVERIFY(!noWrite.Opened());
        }
        QCOMPARE(p.Dialogs().count(FakeDialogs::Kind::Message), 1);
        QCOMPARE(p.Dialogs().asked.back().icon, QMessageBox::Critical);
        QCOMPARE(p.Dialogs().asked.back().text, ProgramHarness::Text("BackupRestore", "OpenMsg2"));
        QVERIFY(!p.Dialogs().asked.back().text.isEmpty());

        // Yes: all parameters, all setpoints, then the computation. Being the first requests since
        // the port opened, they also show that No and the refused file sent nothing.
        p.Dialogs().asked.clear();
        p.Dialogs().openFileAnswers.push_back(good);
        p.Dialogs().messageAnswers.push_back(QMessageBox::Yes);
        const int computedBefore = ComputeCount(p.Sim());
        auto ok = modal_windows::ClickWhenEnabled(QStringLiteral("FormSchrijfParSoll"), QStringLiteral("CmdOK"), kRunMs);
        restore->trigger();
        QVERIFY(ok->acted);
        QVERIFY(!ok->expired);
        QCOMPARE(FormSchrijfParSoll->windowTitle(), ProgramHarness::Text("SchrijfParSoll", "CaptionMode3"));

        std::vector<std::string> expected;
        for (int n = 0; n < 400; ++n)
            expected.push_back("wp " + std::to_string(n) + " " + std::to_string(parameters[n]));
        for (int k = 1; k <= 48; ++k)
            expected.push_back("ws " + std::to_string(k) + " " + std::to_string(setpoints[k - 1]));
        expected.push_back("bp");
        QCOMPARE(p.Requests(), expected);
        for (int n = 0; n < 400; ++n)
            QCOMPARE(*p.Sim().parameter(kUnit, n), parameters[n]);
        for (int k = 1; k <= 48; ++k)
            QCOMPARE(*p.Sim().setpoint(kUnit, k), setpoints[k - 1]);
        QCOMPARE(ComputeCount(p.Sim()), computedBefore + 1);

        // A restore is no open: the program's tables stay as they were.
        QCOMPARE(ParameterSource, TParameterSource::None);
        QCOMPARE(ParameterValues[100], 0);
        QCOMPARE(SetpointValues[1], 0);
    }
};

KMT40_GUI_TEST_MAIN(BackupRestoreTest)
#include "BackupRestoreTest.moc"

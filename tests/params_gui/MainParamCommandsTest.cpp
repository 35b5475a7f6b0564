// The main window's "Parameters + Sollwerten ontvangen", "Backup KM40..." and "Restore KM40..."
// commands with the real windows and the real serial stack against the simulator, and fake dialogs.

#include "TransferHarness.h"

#include "params/LeesParSoll.h"
#include "params/MainParamCommands.h"
#include "params/SchrijfParSoll.h"
#include "params/core/BackupFile.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

using namespace xfer_gui;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

int32_t Int32At(const QByteArray& bytes, int offset)
{
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
    return static_cast<int32_t>(bits);
}

// A backup of values the simulated controller computes with: its own values with a few changed.
QByteArray ComputableBackup(km4x::Simulator& sim, TParameterValues& parameters, std::array<int32_t, 48>& setpoints)
{
    for (int n = 0; n < 400; ++n)
        parameters[n] = *sim.parameter(0, n);
    parameters[12] = -5;
    parameters[399] = 77777;
    for (int k = 0; k < 48; ++k)
        setpoints[k] = 500 - 21 * k;
    const std::vector<uint8_t> bytes = FormatBackup(parameters, setpoints);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

} // namespace

class MainParamCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void receiveHandsOutTheValuesOnlyOnOK()
    {
        TransferHarness h;
        h.port.SetFastReplyEnd(true); // what is tested here does not depend on how a reply ends
        TFormLeesParSoll window(&h.port);
        h.sim.setParameter(0, 7, -70);
        h.sim.setSetpoint(0, 3, 33);
        TParameterValues parameters{};
        TSetpointValues setpoints{};
        parameters[7] = 1;

        PressWhenEnabled(&window, window.CmdCancel);
        QVERIFY(!ReceiveParametersAndSetpoints(window, parameters, setpoints));
        QCOMPARE(parameters[7], 1);
        QCOMPARE(h.Requests().front(), std::string("rp 0"));

        PressWhenEnabled(&window, window.CmdOK);
        QVERIFY(ReceiveParametersAndSetpoints(window, parameters, setpoints));
        QCOMPARE(window.windowTitle(), QStringLiteral("READ-CAPTION-2"));
        QCOMPARE(parameters[7], -70);
        QCOMPARE(setpoints[3], 33);
        QCOMPARE(h.Requests().back(), std::string("rs 48"));
    }

    void backupReadsTheWholeDeviceIntoAFile()
    {
        TransferHarness h;
        // The fast end of reply saves the same bytes; the read window's own test keeps the 50 ms
        // silence proven.
        h.port.SetFastReplyEnd(true);
        QTemporaryDir dir;
        ProgramSettings.OpenCloseDialoogPath = QDir::tempPath().toStdString();
        for (int n = 0; n < 400; ++n)
            h.sim.setParameter(0, n, 3 * n - 600);
        for (int k = 1; k <= 48; ++k)
            h.sim.setSetpoint(0, k, -k);
        h.dialogs.saveFileAnswers.push_back(dir.filePath(QStringLiteral("device"))); // no extension typed
        TFormLeesParSoll window(&h.port);
        PressWhenEnabled(&window, window.CmdOK);

        BackupKM40(window, nullptr, h.dialogs);

        QCOMPARE(window.windowTitle(), QStringLiteral("READ-CAPTION-3"));
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::SaveFile), 1);
        QCOMPARE(h.dialogs.asked[0].caption, QStringLiteral("BACKUP-SAVE"));
        QCOMPARE(h.dialogs.asked[0].text, QStringLiteral("Backups (*.bak)"));
        QCOMPARE(h.dialogs.asked[0].directory, QDir::tempPath());
        QCOMPARE(QString::fromStdString(ProgramSettings.OpenCloseDialoogPath), dir.path());

        const QByteArray bytes = ReadAll(dir.filePath(QStringLiteral("device.bak")));
        QCOMPARE(bytes.size(), 16020);
        QCOMPARE(bytes.left(8), QByteArray("\x30\x41\xAB\x00\x30\x41\xAB\x00", 8));
        QCOMPARE(bytes.right(8), QByteArray("\x15\xCD\x5B\x07\x15\xCD\x5B\x07", 8));
        for (int n = 0; n < 400; ++n)
            QCOMPARE(Int32At(bytes, 8 + 4 * n), 3 * n - 600);
        for (int k = 0; k < 48; ++k)
            QCOMPARE(Int32At(bytes, 8012 + 4 * k), -(k + 1));
        // The program's tables and their sources are not touched by a backup.
        QCOMPARE(ParameterValues[1], 0);
        QCOMPARE(ParameterSource, TParameterSource::None);
        QCOMPARE(SetpointSource, TSetpointSource::None);
    }

    void backupCancelledWritesNoFile()
    {
        TransferHarness h;
        TFormLeesParSoll window(&h.port);
        PressWhenEnabled(&window, window.CmdCancel);
        BackupKM40(window, nullptr, h.dialogs);
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::SaveFile), 0);
    }

    void restoreRefusesABadFileBeforeSendingAnything()
    {
        TransferHarness h;
        QTemporaryDir dir;
        TParameterValues parameters{};
        std::array<int32_t, 48> setpoints{};
        const QByteArray good = ComputableBackup(h.sim, parameters, setpoints);
        TFormSchrijfParSoll window(&h.port);

        QByteArray changedEnd = good;
        changedEnd[16019] = 0x08;
        WriteAll(dir.filePath(QStringLiteral("end.bak")), changedEnd);
        WriteAll(dir.filePath(QStringLiteral("long.bak")), good + QByteArray(1, '\0'));
        WriteAll(dir.filePath(QStringLiteral("short.bak")), good.left(16019));
        h.dialogs.asked.clear();
        h.dialogs.openFileAnswers.push_back(dir.filePath(QStringLiteral("end.bak")));
        RestoreKM40(window, nullptr, h.dialogs);
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 1);
        const FakeDialogs::Asked& box = h.dialogs.asked.back();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.caption, QStringLiteral("ERROR-CAPTION"));
        QCOMPARE(box.text, QStringLiteral("OPEN-MSG-2"));
        h.dialogs.asked.clear();
        h.dialogs.openFileAnswers.push_back(dir.filePath(QStringLiteral("short.bak")));
        RestoreKM40(window, nullptr, h.dialogs);
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 1); // a read error
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 0);

        // Without a language file a refusal says nothing, and a good file is not written unasked.
        LanguageLoaded = false;
        WriteAll(dir.filePath(QStringLiteral("good.bak")), good);
        // Bytes after the layout are not read: the long file is as good as the good one.
        for (const char* name : {"end.bak", "good.bak", "long.bak"}) {
            h.dialogs.asked.clear();
            h.dialogs.openFileAnswers.push_back(dir.filePath(QString::fromLatin1(name)));
            RestoreKM40(window, nullptr, h.dialogs);
            QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 0);
        }
        QVERIFY(!window.isVisible());
        QTest::qWait(200);
        QCOMPARE(h.sim.requestCount(), std::size_t(0));
    }

    void restoreWritesParametersSetpointsAndComputesOnYes()
    {
        TransferHarness h;
        QTemporaryDir dir;
        TParameterValues parameters{};
        std::array<int32_t, 48> setpoints{};
        const QString path = dir.filePath(QStringLiteral("device.bak"));
        WriteAll(path, ComputableBackup(h.sim, parameters, setpoints));
        h.port.SetFastReplyEnd(true); // what is tested here does not depend on how a reply ends
        TFormSchrijfParSoll window(&h.port);

        // No: nothing is sent.
        h.dialogs.openFileAnswers.push_back(path);
        h.dialogs.messageAnswers.push_back(QMessageBox::No);
        RestoreKM40(window, nullptr, h.dialogs);
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 1);
        const FakeDialogs::Asked& warning = h.dialogs.asked.back();
        QCOMPARE(warning.caption, QStringLiteral("WARN-CAPTION"));
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QCOMPARE(warning.text, QStringLiteral("WARN-1  ") + QDir::toNativeSeparators(path) + QStringLiteral("\n\rWARN-2"));
        QCOMPARE(warning.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QTest::qWait(100);
        QCOMPARE(h.sim.requestCount(), std::size_t(0));

        h.dialogs.openFileAnswers.push_back(path);
        h.dialogs.messageAnswers.push_back(QMessageBox::Yes);
        PressWhenEnabled(&window, window.CmdOK);
        RestoreKM40(window, nullptr, h.dialogs);

        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(window.windowTitle(), QStringLiteral("WRITE-CAPTION-3"));
        QCOMPARE(window.Panel1->text(), QStringLiteral("WRITE-8"));
        const std::vector<std::string> sent = h.Requests();
        QCOMPARE(sent.size(), std::size_t(400 + 48 + 1));
        QCOMPARE(sent[12], std::string("wp 12 -5"));
        QCOMPARE(sent[400], std::string("ws 1 500"));
        QCOMPARE(sent.back(), std::string("bp"));
        for (int n = 0; n < 400; ++n)
            QCOMPARE(*h.sim.parameter(0, n), parameters[n]);
        for (int k = 1; k <= 48; ++k)
            QCOMPARE(*h.sim.setpoint(0, k), setpoints[k - 1]);
        // The editors' values stay as they were.
        QCOMPARE(ParameterValues[399], 0);
        QCOMPARE(ParameterSource, TParameterSource::None);
    }
};

KMT40_GUI_TEST_MAIN(MainParamCommandsTest)
#include "MainParamCommandsTest.moc"

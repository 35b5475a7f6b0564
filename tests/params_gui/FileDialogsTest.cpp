// The open and save dialogs of the parameter, setpoint and backup files: starting directory and its
// update, filters, the default extension and the question before an existing file is replaced.

#include "support/FakeDialogs.h"
#include "support/GuiTestMain.h"

#include "app/core/Global_var.h"
#include "params/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void Touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("old");
}

} // namespace

class FileDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        Global_var.Reset();
        ProgramSettings.OpenCloseDialoogPath = QDir::tempPath().toStdString();
    }

    void saveStartsInTheDialogDirectoryAndRemembersTheChosenOne()
    {
        QTemporaryDir dir;
        FakeDialogs dialogs;
        dialogs.saveFileAnswers.push_back(dir.filePath(QStringLiteral("unit3")));
        const QString path = AskSaveFileName(dialogs, nullptr, "Save", "Parameters (*.app)|*.app", QStringLiteral("app"));
        QCOMPARE(path, dir.filePath(QStringLiteral("unit3.app")));
        QCOMPARE(dialogs.asked.size(), std::size_t(1));
        QCOMPARE(dialogs.asked[0].directory, QDir::tempPath());
        QCOMPARE(dialogs.asked[0].text, QStringLiteral("Parameters (*.app)"));
        QCOMPARE(QString::fromStdString(ProgramSettings.OpenCloseDialoogPath), dir.path());

        // A cancelled dialog keeps the directory.
        ProgramSettings.OpenCloseDialoogPath = QDir::tempPath().toStdString();
        QVERIFY(AskSaveFileName(dialogs, nullptr, "Save", "*.app", QStringLiteral("app")).isEmpty());
        QCOMPARE(QString::fromStdString(ProgramSettings.OpenCloseDialoogPath), QDir::tempPath());
    }

    void addedExtensionNamingAnExistingFileIsReplacedOnlyWhenConfirmed()
    {
        QTemporaryDir dir;
        const QString existing = dir.filePath(QStringLiteral("device.bak"));
        Touch(existing);

        // "device" typed, device.bak exists: asked; No lets the user choose again.
        FakeDialogs dialogs;
        dialogs.saveFileAnswers = {dir.filePath(QStringLiteral("device")), dir.filePath(QStringLiteral("other"))};
        dialogs.messageAnswers.push_back(QMessageBox::No);
        QCOMPARE(AskSaveFileName(dialogs, nullptr, "Backup", "*.bak", QStringLiteral("bak")),
                 dir.filePath(QStringLiteral("other.bak")));
        QCOMPARE(dialogs.count(FakeDialogs::Kind::SaveFile), 2);
        QCOMPARE(dialogs.count(FakeDialogs::Kind::Message), 1);
        const FakeDialogs::Asked& question = dialogs.asked[1];
        QCOMPARE(question.kind, FakeDialogs::Kind::Message);
        QCOMPARE(question.icon, QMessageBox::Warning);
        QCOMPARE(question.caption, QStringLiteral("Backup"));
        QVERIFY(question.text.contains(QStringLiteral("device.bak")));
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);

        // Yes takes the existing file.
        FakeDialogs yes;
        yes.saveFileAnswers.push_back(dir.filePath(QStringLiteral("device")));
        yes.messageAnswers.push_back(QMessageBox::Yes);
        QCOMPARE(AskSaveFileName(yes, nullptr, "Backup", "*.bak", QStringLiteral("bak")), existing);

        // A name chosen with its extension was asked about by the dialog itself.
        FakeDialogs chosen;
        chosen.saveFileAnswers.push_back(existing);
        QCOMPARE(AskSaveFileName(chosen, nullptr, "Backup", "*.bak", QStringLiteral("bak")), existing);
        QCOMPARE(chosen.count(FakeDialogs::Kind::Message), 0);
    }

    void openRemembersTheDirectoryOfTheChosenFile()
    {
        QTemporaryDir dir;
        FakeDialogs dialogs;
        dialogs.openFileAnswers.push_back(dir.filePath(QStringLiteral("a.bak")));
        QCOMPARE(AskOpenFileName(dialogs, nullptr, "Restore", "ASCII Parameterbestand (*.bak)|*.bak"),
                 dir.filePath(QStringLiteral("a.bak")));
        QCOMPARE(dialogs.asked[0].text, QStringLiteral("ASCII Parameterbestand (*.bak)"));
        QCOMPARE(dialogs.asked[0].directory, QDir::tempPath());
        QCOMPARE(QString::fromStdString(ProgramSettings.OpenCloseDialoogPath), dir.path());
    }
};

KMT40_GUI_TEST_MAIN(FileDialogsTest)
#include "FileDialogsTest.moc"

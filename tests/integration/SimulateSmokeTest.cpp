// kmt40 --simulate, the real program in a child process: it starts, stays up, lets a second copy
// end at once, and closes in order when asked to end (SIGTERM), saving its settings on the way.
#include "support/GuiTestMain.h"
#include "TempProgramDir.h"

#include "app/CloseOnSignal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QWidget>

#include <csignal>

#ifndef KMT40_EXECUTABLE
#error "KMT40_EXECUTABLE must name the built kmt40 program"
#endif

namespace {

constexpr int kWaitMs = 30000; // starting and ending; only a hang reaches it

// A copy of the program with the shipped data beside it: ProgramDir is where the program file
// lies, so the settings it saves land here and not in the build.
class ProgramCopy {
public:
    ProgramCopy()
        : dir_({"Taal0.ini", "Taal1.ini", "Taal2.ini", "Parameters.txt", "ParNo.txt", "Tree0.txt", "Tree1.txt",
                "Tree2.txt"})
    {
        copied_ = QFile::copy(QStringLiteral(KMT40_EXECUTABLE), Program());
        const QString tmp = dir_.File(QStringLiteral("tmp"));
        QDir().mkpath(tmp);
        QFile::setPermissions(tmp, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    bool IsValid() const { return dir_.IsValid() && copied_; }
    QString Program() const { return dir_.File(QStringLiteral("kmt40")); }
    const TempProgramDir& Dir() const { return dir_; }

    // Headless, and with a temp directory of its own: the single-instance socket lives there, so
    // a kmt40 the user runs meanwhile is neither found nor disturbed.
    void Prepare(QProcess& process) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("TMPDIR"), dir_.File(QStringLiteral("tmp")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.File(QStringLiteral("tmp")));
        process.setProcessEnvironment(environment);
        process.setProgram(Program());
        process.setArguments({QStringLiteral("--simulate")});
        process.setProcessChannelMode(QProcess::ForwardedChannels);
    }

private:
    TempProgramDir dir_;
    bool copied_ = false;
};

// True once the program listens for later copies (its socket lies in its own temp directory).
bool ListensForLaterCopies(const ProgramCopy& copy)
{
    const QDir tmp(copy.Dir().File(QStringLiteral("tmp")));
    return !tmp.entryList({QStringLiteral("Kelmor Software Tool*")}, QDir::System | QDir::Files).isEmpty();
}

// True when the process holds a pseudo-terminal master open: the simulated controller's line.
// Only Linux shows this (in /proc); elsewhere it is taken on trust.
bool HoldsAPseudoTerminal(qint64 pid)
{
#ifdef Q_OS_LINUX
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == QLatin1String("/dev/ptmx") || fd.symLinkTarget().startsWith(QLatin1String("/dev/pts/ptmx")))
            return true;
    return false;
#else
    Q_UNUSED(pid);
    return true;
#endif
}

bool IsDefaultAction(int signalNumber)
{
    struct sigaction current = {};
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

} // namespace

class SimulateSmokeTest : public QObject {
    Q_OBJECT

private slots:
    void simulateStartsStaysUpAndEndsInOrderOnSigterm()
    {
        ProgramCopy copy;
        QVERIFY(copy.IsValid());
        QVERIFY(!QFile::exists(copy.Dir().File(QStringLiteral("application.ini"))));

        QProcess first; // its destructor kills it should a check below fail
        copy.Prepare(first);
        first.start();
        QVERIFY2(first.waitForStarted(kWaitMs), qPrintable(first.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(ListensForLaterCopies(copy), kWaitMs);
        QTest::qWait(2000);
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(HoldsAPseudoTerminal(first.processId()));

        // A second copy finds the first, asks it forward and ends without a window of its own.
        QProcess second;
        copy.Prepare(second);
        second.start();
        QVERIFY(second.waitForFinished(kWaitMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTest::qWait(500);
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        QVERIFY(first.waitForFinished(kWaitMs));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        // Closing the main window saved the settings, as the close box does.
        const QByteArray settings = copy.Dir().Read(QStringLiteral("application.ini"));
        QVERIFY(settings.contains("[Serieel]"));
        QVERIFY(settings.contains("unit_no="));
    }

    void aTerminationSignalClosesTheWindowAndIsThenLetGo()
    {
        QWidget window;
        window.show();
        {
            CloseOnSignal closeOnSignal(&window);
            QVERIFY(!IsDefaultAction(SIGINT));
            ::raise(SIGINT);
            QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), kWaitMs);
            window.show();
            ::raise(SIGHUP);
            QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), kWaitMs);
        }
        QVERIFY(IsDefaultAction(SIGINT));
        QVERIFY(IsDefaultAction(SIGTERM));
        QVERIFY(IsDefaultAction(SIGHUP));
    }
};

KMT40_GUI_TEST_MAIN(SimulateSmokeTest)
#include "SimulateSmokeTest.moc"

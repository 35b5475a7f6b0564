#pragma once
// What the end-to-end tests share: the main window test harness (simulated controller on a
// pseudo-terminal, COM1 mapped to it, fake dialogs) with the shipped data files as ProgramDir, the
// transfer commands installed as the program does, the window shown and Timer1 polling "rf".
#include "app_gui/MainWindowHarness.h"
#include "ModalWindows.h"

#include "params/MainParamCommands.h"

#include <QAction>
#include <QStringList>

#include <climits>
#include <string>
#include <vector>

namespace integration {

// A whole transfer run (448 exchanges of some 50 ms each) with room to spare; only a hang reaches it.
constexpr int kRunMs = 180000;
constexpr int kUnit = 12;

class ProgramHarness {
public:
    ProgramHarness() : h_({gui_test::Unit(kUnit)}, kUnit, /*withLanguageFile=*/false)
    {
        for (const char* name : {"Taal0.ini", "Taal1.ini", "Taal2.ini", "Parameters.txt", "ParNo.txt", "Tree0.txt",
                                 "Tree1.txt", "Tree2.txt"})
            h_.Dir().Copy(QString::fromLatin1(name));
        TFormMain& form = h_.CreateForm();
        InstallTransferCommands(form);
        form.show();
        form.Timer1->start(); // the harness stops it; the program runs with it
    }

    TFormMain& Form() { return h_.Form(); }
    km4x::Simulator& Sim() { return h_.Sim(); }
    FakeDialogs& Dialogs() { return h_.dialogs; }
    const TempProgramDir& Dir() const { return h_.Dir(); }

    // Presses the open/close button and waits until the identification chain has finished, then
    // forgets the requests so far.
    bool OpenPortAndIdentify()
    {
        h_.ClickOpenClose();
        if (!QTest::qWaitFor([this] { return !gui_test::Panel(Form(), 4).isEmpty(); }, gui_test::kWaitMs))
            return false;
        Sim().clearLog();
        return true;
    }

    // The menu item of the main window with this object name (null when there is none).
    QAction* MenuItem(const char* objectName) { return Form().findChild<QAction*>(QString::fromLatin1(objectName)); }

    // The requests the simulator received, in order, without the main window's error polls ("rf").
    std::vector<std::string> Requests() const { return h_.Requests(); }

    // A text of the loaded language file, as the windows show it.
    static QString Text(const char* section, const char* key)
    {
        return QString::fromLatin1(LanguageFile.ReadString(section, key, "").c_str());
    }

private:
    gui_test::MainWindowHarness h_;
};

// Values no factory default has: both signs, the 32-bit extremes, and out-of-range choices for the
// parameters the main window turns into texts.
inline int32_t DistinctiveParameter(int n)
{
    if (n == 5)
        return INT32_MIN;
    if (n == 6)
        return INT32_MAX;
    return (n % 2 ? -1 : 1) * (n * 1009 + 17);
}

inline int32_t DistinctiveSetpoint(int k)
{
    if (k == 48)
        return INT32_MIN;
    return (k % 3 ? 1 : -1) * (k * 40013 + 3);
}

inline void SetDistinctiveValues(km4x::Simulator& sim)
{
    for (int n = 0; n < 400; ++n)
        sim.setParameter(kUnit, n, DistinctiveParameter(n));
    for (int k = 1; k <= 48; ++k)
        sim.setSetpoint(kUnit, k, DistinctiveSetpoint(k));
}

// "rp 0" .. "rp 399", then "rs 1" .. "rs 48": everything read in order, once.
inline std::vector<std::string> ReadEverythingRequests()
{
    std::vector<std::string> requests;
    for (int n = 0; n < 400; ++n)
        requests.push_back("rp " + std::to_string(n));
    for (int k = 1; k <= 48; ++k)
        requests.push_back("rs " + std::to_string(k));
    return requests;
}

} // namespace integration

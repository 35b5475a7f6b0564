#pragma once
// What the main window tests share: a simulated controller on a pseudo-terminal, a temp
// ProgramDir whose application.ini maps COM1 to it ([Poorten]), fake dialogs, and a main window
// created fresh from a reset program state.
#include "FakeDialogs.h"
#include "TempProgramDir.h"
#include "app/KM40Main.h"
#include "app/core/Global_var.h"
#include "comm/PortNames.h"

#include <Simulator.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

namespace gui_test {

// Generous: the machines are shared and slow; a condition normally holds within milliseconds.
constexpr int kWaitMs = 10000;

inline km4x::UnitConfig Unit(int number, const std::string& typeText = "KM40 V2.31")
{
    km4x::UnitConfig unit;
    unit.number = number;
    unit.line = km4x::LineSettings{9600, km4x::Parity::Even, 8, 1};
    unit.typeText = typeText;
    unit.versionText = "SW 2.31 2021-03-15";
    unit.serialText = "SN 4711";
    return unit;
}

// A language file of recognisable texts, so a test sees which text came from where.
inline const QByteArray kTestLanguage = "[Main]\r\n"
                                       "CmdComOpen=OPEN-TEXT\r\n"
                                       "CmdComClose=CLOSE-TEXT\r\n"
                                       "PanelTekst0=TIMEOUT-TEXT\r\n"
                                       "PanelTekst1=LINE-TEXT\r\n"
                                       "CmdActual_ON=ACTUAL-ON\r\n"
                                       "CmdIO_ON=IO-ON\r\n"
                                       "CmdDuimwiel_ON=DW-ON\r\n"
                                       "Msg_waarschuwingCaption=WARN-CAPTION\r\n"
                                       "Msg_Melding_Geen_KM40=WARN-TEXT\r\n";

inline km4x::SimulatorOptions Options(std::vector<km4x::UnitConfig> units)
{
    km4x::SimulatorOptions options;
    options.units = std::move(units);
    return options;
}

class MainWindowHarness {
public:
    // The window talks 9600,E,8,1 to unit `unitNo`, with the test language file or none.
    explicit MainWindowHarness(std::vector<km4x::UnitConfig> units = {Unit(12)}, int unitNo = 12,
                               bool withLanguageFile = true)
        : sim_(Options(std::move(units))), dialogsInstalled_(dialogs)
    {
        WriteSettings(unitNo, 0);
        if (withLanguageFile)
            dir_.Write(QStringLiteral("Taal0.ini"), kTestLanguage);
    }

    ~MainWindowHarness()
    {
        form_.reset();
        ClearPortDevicePaths();
        Global_var.Reset();
    }

    void WriteSettings(int unitNo, int languageIndex, const QByteArray& extra = {}) const
    {
        dir_.Write(QStringLiteral("application.ini"),
                   "[Serieel]\r\nbaudrate=3\r\ndatabit=1\r\nparity=1\r\nstopbit=0\r\nhardware=0\r\nportname=0\r\n"
                   "unit_no=" + QByteArray::number(unitNo) + "\r\n[Opties]\r\nTaal=" +
                       QByteArray::number(languageIndex) + "\r\n[Poorten]\r\nCOM1=" +
                       QByteArray::fromStdString(sim_.devicePath()) + "\r\n" + extra);
    }

    // A new main window from a clean program state.
    TFormMain& CreateForm(const QStringList& arguments = {})
    {
        form_.reset();
        Global_var.Reset();
        ClearPortDevicePaths();
        form_ = std::make_unique<TFormMain>(dir_.Path(), arguments);
        // Error polls come from the tests' own ticks, so the request log holds no surprises.
        form_->Timer1->stop();
        return *form_;
    }

    TFormMain& Form() { return *form_; }
    km4x::Simulator& Sim() { return sim_; }
    const TempProgramDir& Dir() const { return dir_; }

    // Presses the open/close button.
    void ClickOpenClose() { QTest::mouseClick(form_->CmdSelectUnit, Qt::LeftButton); }

    // The requests the simulator received, in order, without the error polls.
    std::vector<std::string> Requests(bool withErrorPolls = false) const
    {
        std::vector<std::string> texts;
        for (const km4x::RequestRecord& record : sim_.requestLog())
            if (withErrorPolls || record.text != "rf")
                texts.push_back(record.text);
        return texts;
    }

    FakeDialogs dialogs;

private:
    km4x::Simulator sim_;
    TempProgramDir dir_;
    FakeDialogs::Installed dialogsInstalled_;
    std::unique_ptr<TFormMain> form_;
};

inline QString Panel(const TFormMain& form, int index)
{
    return form.StatusPanelText(index);
}

} // namespace gui_test

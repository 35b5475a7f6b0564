#pragma once
// What the editor tests share: the main window with the shipped data files (English texts) in a
// temp ProgramDir, its port on a simulated controller (COM1 mapped to it), the read, write,
// loader and editor windows installed as the program installs them, and fake dialogs.

#include "FakeDialogs.h"
#include "GuiTestMain.h"
#include "ModalWindows.h"
#include "SimulatedProgram.h"
#include "TempProgramDir.h"
#include "app/KM40Main.h"
#include "app/core/Global_var.h"
#include "comm/PortNames.h"
#include "params/EditParam.h"
#include "params/EditorWindows.h"
#include "params/FilteredLineEdit.h"
#include "params/MainParamCommands.h"
#include "support/RequestTexts.h"
#include "views/PrintoutWindows.h"

#include <Simulator.h>

#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <memory>

namespace editor_test {

// Generous: only a hang ever reaches it (a full read of 400 parameters takes some 22 s).
constexpr int kWaitMs = 120000;

inline const QStringList kShippedData{QStringLiteral("Taal0.ini"),      QStringLiteral("Taal1.ini"),
                                      QStringLiteral("Taal2.ini"),      QStringLiteral("Parameters.txt"),
                                      QStringLiteral("ParNo.txt"),      QStringLiteral("Tree0.txt"),
                                      QStringLiteral("Tree1.txt"),      QStringLiteral("Tree2.txt")};


class EditorHarness {
public:
    // Language 1 (English) unless told otherwise; DataFiles are copied from data/; Arguments are
    // the program's command line.
    explicit EditorHarness(int languageIndex = 1, const QStringList& dataFiles = kShippedData,
                           const QStringList& arguments = {})
        : dir(dataFiles), sim(OneSimulatedUnit()), dialogsInstalled_(dialogs)
    {
        Global_var.Reset();
        WriteSimulatorSettings(dir, languageIndex, sim.devicePath());
        main = std::make_unique<TFormMain>(dir.Path(), arguments);
        InstallTransferCommands(*main);
        InstallEditorWindows(*main);
        InstallPrintoutWindows(*main);
    }
    ~EditorHarness()
    {
        main->ZBComm1.Close();
        main.reset();
        ClearPortDevicePaths();
        Global_var.Reset();
    }

    // Opens the port as the user does and waits for the identification to finish.
    bool OpenPort()
    {
        QTest::mouseClick(main->CmdSelectUnit, Qt::LeftButton);
        return QTest::qWaitFor([this] { return !main->StatusPanelText(4).isEmpty(); }, 10000);
    }

    std::vector<std::string> Requests() const { return RequestTexts(sim); }
    bool Requested(const std::string& text) const
    {
        const std::vector<std::string> all = Requests();
        return std::find(all.begin(), all.end(), text) != all.end();
    }

    TempProgramDir dir;
    km4x::Simulator sim;
    FakeDialogs dialogs;
    std::unique_ptr<TFormMain> main;

private:
    FakeDialogs::Installed dialogsInstalled_;
};

// Double-clicks the value of Row (1-based) of the parameter editor's list, which opens the
// single-parameter dialog for it.
inline void DoubleClickRow(TFormEditParam& Editor, int Row)
{
    const QPoint centre = Editor.StringGrid1->visualRect(Editor.StringGrid1->model()->index(Row - 1, 2)).center();
    // The view takes a double-click only on the cell its press went to.
    QTest::mouseClick(Editor.StringGrid1->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(Editor.StringGrid1->viewport(), Qt::LeftButton, {}, centre);
}

// Types Text into the single-parameter dialog's field over what it shows.
inline void TypeValue(QWidget* Dialog, const QString& Text)
{
    auto* field = Dialog->findChild<TFilteredLineEdit*>(QStringLiteral("MaskEditParData"));
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, Text);
}

} // namespace editor_test

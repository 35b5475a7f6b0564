// Renders, with the shipped English texts and the main window on a simulated controller: the main
// window with live values, thumbwheels and lamps polling (main-live-en.png), the cam display
// (cam-display-en.png), the live graph while logging (live-graph-en.png) and the linearisation
// editor (linearisation-en.png); and exports a log of 200 samples as graph-log.csv and
// graph-log.png. Run under Xvfb: xvfb-run -a build/bin/view_screenshots docs/screenshots
#include "EditorHarness.h"
#include "UnexpectedBoxes.h"
#include "WhileOpen.h"

#include "comm/qt/QtUiDispatcher.h"
#include "views/Grafiek.h"
#include "views/Linearisatie.h"
#include "views/ViewWindows.h"
#include "views/core/CamLayout.h"
#include "views/core/LinearisationGeometry.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QScrollBar>
#include <QSpinBox>
#include <QDir>
#include <QPushButton>

#include <cmath>
#include <cstdio>

namespace {

QString outputDir;
int failures = 0;

void Save(QWidget& window, const QString& name)
{
    QTest::qWait(150);
    const QString path = QDir(outputDir).filePath(name);
    const bool ok = window.grab().save(path);
    std::printf("%s: %s\n", qPrintable(path), ok ? "written" : "FAILED");
    failures += ok ? 0 : 1;
}

// A machine with a few cams on several outputs, some from setpoints and thumbwheels.
void DemoCams()
{
    struct Cam {
        int n, output, function, startSelect, endSelect, fixedStart, fixedEnd;
    };
    const Cam cams[] = {{1, 1, 1, 0, 0, 1000, 9000},  {2, 1, 1, 0, 0, 20000, 25000}, {3, 2, 2, 5, 0, 4500, 0},
                        {4, 3, 3, 49, 0, 0, 0},       {5, 4, 1, 1, 2, 0, 0},         {6, 5, 1, 0, 0, 300, 1200},
                        {7, 7, 2, 0, 0, 15000, 0},    {9, 9, 1, 50, 51, 0, 0},       {12, 6, 3, 0, 0, 7000, 0},
                        {15, 8, 1, 0, 0, 100, 35000}, {18, 2, 1, 0, 0, 30000, 36000}};
    for (const Cam& c : cams) {
        ParameterValues[static_cast<std::size_t>(views::CamOutputParameter(c.n))] = c.output;
        ParameterValues[static_cast<std::size_t>(views::CamFunctionParameter(c.n))] = c.function;
        ParameterValues[static_cast<std::size_t>(views::CamStartSelectParameter(c.n))] = c.startSelect;
        ParameterValues[static_cast<std::size_t>(views::CamEndSelectParameter(c.n))] = c.endSelect;
        ParameterValues[static_cast<std::size_t>(views::CamFixedStartParameter(c.n))] = c.fixedStart;
        ParameterValues[static_cast<std::size_t>(views::CamFixedEndParameter(c.n))] = c.fixedEnd;
        ParameterValues[static_cast<std::size_t>(views::CamHysteresisParameter(c.n))] = 5;
    }
    for (int m = 1; m <= 9; ++m)
        ParameterValues[static_cast<std::size_t>(views::OutputAdvanceParameter(m))] = 25 * m;
}

// A bent curve of 8 points, mirrored about the Y axis.
void DemoCurve()
{
    ParameterValues[views::LinCountParameter] = 8;
    ParameterValues[views::LinModeParameter] = 1;
    for (int k = 1; k <= 8; ++k) {
        const double x = (k - 1) * 1000.0;
        ParameterValues[static_cast<std::size_t>(views::LinXParameter(k))] = static_cast<std::int32_t>(x);
        ParameterValues[static_cast<std::size_t>(views::LinYParameter(k))] =
            static_cast<std::int32_t>(7000.0 * std::sqrt(x / 7000.0));
    }
    ProgramSettings.PuntGrootte = 3;
    ProgramSettings.Linearisatie_X_hulplijn = true;
    ProgramSettings.Linearisatie_Y_hulplijn = true;
}

// Opens the window through its menu item, runs Act and closes it; a window that never showed counts
// as a failure.
template <typename Window>
void Shoot(const QString& Name, QAction* Opener, std::function<void(Window&)> Act)
{
    if (!WhileOpen<Window>(Name, Opener, std::move(Act), 300000)) {
        std::printf("%s did not open\n", qPrintable(Name));
        ++failures;
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QtUiDispatcher dispatcher;
    UiDispatcher::SetDefault(&dispatcher);
    outputDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(outputDir);
    UnexpectedBoxes boxes;
    {
        editor_test::EditorHarness h(1);
        InstallViewWindows(*h.main);
        h.main->show();
        if (!h.OpenPort()) {
            std::printf("the simulated controller did not answer\n");
            return 1;
        }
        ParameterValues[246] = 1;
        ParameterValues[388] = 1;
        ParameterValues[203] = 2;
        ParameterValues[248] = 2;
        for (QPushButton* button : {h.main->CmdActual, h.main->CmdInUit, h.main->CmdDuimwiel})
            button->click();
        QTest::qWait(8000);
        Save(*h.main, QStringLiteral("main-live-en.png"));
        // Off again: the main window's polls would share the line with the graph's log, which would
        // then get one sample in each of their rounds.
        for (QPushButton* button : {h.main->CmdActual, h.main->CmdInUit, h.main->CmdDuimwiel})
            button->click();

        DemoCams();
        Shoot<QDialog>(QStringLiteral("FormDisplayNokken"), h.main->displaynokken1,
                           [](QDialog& w) { Save(w, QStringLiteral("cam-display-en.png")); });

        DemoCurve();
        Shoot<TFormLinearisatie>(QStringLiteral("FormLinearisatie"), h.main->Grafiek2, [](TFormLinearisatie& w) {
            w.SpinEdit_GrafiekPunt->setValue(4);
            Save(w, QStringLiteral("linearisation-en.png"));
        });

        ProgramSettings.BronItem = 0;
        ProgramSettings.X_Div = 2;
        ProgramSettings.Y_Div = 9; // 50000 per division: the swing of +-100000 spans two each way
        ProgramSettings.Grafiek_X_hulplijn = true;
        ProgramSettings.Grafiek_Y_hulplijn = true;
        Shoot<TFormGrafiek>(QStringLiteral("FormGrafiek"), h.main->Grafiek1, [](TFormGrafiek& w) {
            w.CmdStartLog->click();
            // A log that ended by itself (a line error) has nothing more to wait for.
            [[maybe_unused]] const bool settled =
                QTest::qWaitFor([&w] { return w.Log().Last() >= 200 || !w.CmdStopLog->isEnabled(); }, 120000);
            if (w.Log().Last() < 200) {
                std::printf("the log ended after %d samples\n", w.Log().Last() + 1);
                ++failures;
            }
            Save(w, QStringLiteral("live-graph-en.png"));
            w.CmdStopLog->click();
            w.CheckBoxAutoScroll->setChecked(false);
            w.ScrollBar2->setValue(1);
            w.ScrollBar2->setValue(0);
            QString error;
            const bool csv = w.SaveCsv(QDir(outputDir).filePath(QStringLiteral("graph-log.csv")), error);
            const bool png = w.SavePng(QDir(outputDir).filePath(QStringLiteral("graph-log.png")), error);
            std::printf("graph-log.csv (%d samples): %s, graph-log.png: %s %s\n", w.Log().Last() + 1,
                        csv ? "written" : "FAILED", png ? "written" : "FAILED", qPrintable(error));
            failures += (csv ? 0 : 1) + (png ? 0 : 1);
        });
    }
    UiDispatcher::SetDefault(nullptr);
    return failures == 0 && boxes.Count() == 0 ? 0 : 1;
}

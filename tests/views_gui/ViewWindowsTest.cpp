// The cam display, the linearisation editor and the live graph opened from the main window's
// menu, with the shipped data and the simulator: what they show (pixels of their off-screen
// images), picking and editing a point, and a log with its exports, stop and restart, failures,
// beside the main window's live polls.
#include "AccessibleReading.h"
#include "EditorHarness.h"
#include "WhileOpen.h"

#include "device/PanelColors.h"

#include "params/FileDialogs.h"
#include "params/FilteredLineEdit.h"
#include "params/ParamService.h"
#include "views/DisplayNokken.h"
#include "views/Grafiek.h"
#include "views/Linearisatie.h"
#include "views/PaintBox.h"
#include "views/ViewWindows.h"
#include "views/core/CamLayout.h"
#include "views/core/GraphGeometry.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QScrollBar>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QTableWidget>

#include <algorithm>

using namespace editor_test;

namespace {

constexpr int kStepMs = 60000;
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

QColor Pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

bool HasBlackIn(const QImage& image, QRect area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == Qt::black)
                return true;
    return false;
}

} // namespace

class ViewWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void camDisplayColoursAndDetails()
    {
        EditorHarness h;
        InstallViewWindows(*h.main);
        ParameterValues[203] = 2;
        auto cam = [](int n, int output, int function) {
            ParameterValues[static_cast<std::size_t>(views::CamOutputParameter(n))] = output;
            ParameterValues[static_cast<std::size_t>(views::CamFunctionParameter(n))] = function;
        };
        cam(1, 1, 1);
        cam(2, 1, 2);
        cam(5, 9, 3);
        cam(6, 0, 1);
        ParameterValues[static_cast<std::size_t>(views::CamFixedStartParameter(1))] = 12345;
        ParameterValues[static_cast<std::size_t>(views::CamStartSelectParameter(2))] = 50;
        ParameterValues[static_cast<std::size_t>(views::OutputAdvanceParameter(1))] = 5;
        ThumbwheelValues[1] = 777;

        const bool ran = WhileOpen<TFormDisplayNokken>(QStringLiteral("FormDisplayNokken"), h.main->displaynokken1,
                                                       [](TFormDisplayNokken& w) {
            QTableWidget* grid = w.StringGrid1;
            const QImage image = grid->viewport()->grab().toImage();
            auto cellColour = [&](int row, int column) {
                const QRect r = grid->visualItemRect(grid->item(row, column));
                return image.pixelColor(image.width() * r.center().x() / grid->viewport()->width(),
                                        image.height() * r.center().y() / grid->viewport()->height());
            };
            QCOMPARE(cellColour(1, 1), kRed);
            QCOMPARE(cellColour(1, 2), QColor(0, 255, 0));
            QCOMPARE(cellColour(9, 5), QColor(255, 255, 0));
            QVERIFY(cellColour(2, 1) != kRed);
            for (int row = 1; row <= 9; ++row)
                QCOMPARE(cellColour(row, 6), grid->palette().color(QPalette::Base));
            QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("Out-1"));
            QCOMPARE(grid->item(0, 24)->text(), QStringLiteral("24"));

            // The current cell (1, 1) is cam 1's output cell.
            QCOMPARE(w.PanelNokNummer->text(), QStringLiteral("1"));
            QCOMPARE(w.PanelAanvang->text(), QStringLiteral("123,45"));
            QCOMPARE(w.PanelVervroeging->text(), QStringLiteral("0,005"));
            QVERIFY(!w.PanelFunctie->text().isEmpty());
            grid->setCurrentCell(1, 2);
            QCOMPARE(w.PanelAanvang->text(), QStringLiteral("7,77")); // thumbwheel 2
            // A screen reader hears the caption beside a field and what the field shows.
            const AccessibleReading start = ReadAccessible(&w, w.PanelAanvang);
            QCOMPARE(start.name, w.LabelAanvang->text());
            QCOMPARE(start.value, QStringLiteral("7,77"));
            QCOMPARE(start.text, start.value);
            QCOMPARE(w.PanelEinde->text(), QStringLiteral("---"));
            QCOMPARE(w.PanelSelectEinde->text(), QStringLiteral("---"));
            grid->setCurrentCell(2, 2);
            QCOMPARE(w.PanelNokNummer->text(), QString());
            QCOMPARE(w.PanelFunctie->text(), QString());
            QCOMPARE(w.LabelEinde->text(), QStringLiteral("End"));
            grid->setCurrentCell(1, 1); // for the next opening
        });
        QVERIFY(ran);
    }

    void linearisationPixelsPickingAndEditing()
    {
        EditorHarness h;
        InstallViewWindows(*h.main);
        ParameterValues[247] = 3;
        ParameterValues[241] = 1;
        const int xs[] = {0, 500, 1000}, ys[] = {0, 800, 1000};
        for (int k = 1; k <= 3; ++k) {
            ParameterValues[static_cast<std::size_t>(views::LinXParameter(k))] = xs[k - 1];
            ParameterValues[static_cast<std::size_t>(views::LinYParameter(k))] = ys[k - 1];
        }
        ProgramSettings.PuntGrootte = 3;

        auto edited = modal_windows::When(
            QStringLiteral("FormParamService"), [](QWidget*) { return true; },
            [](QWidget* window) {
                auto* dialog = static_cast<TFormParamService*>(window);
                dialog->MaskEditParData->setText(QStringLiteral("900"));
                dialog->CmdOK->click();
            },
            kStepMs);
        const bool ran = WhileOpen<TFormLinearisatie>(QStringLiteral("FormLinearisatie"), h.main->Grafiek2,
                                                      [](TFormLinearisatie& w) {
            const QImage& graph = w.Image1->Picture();
            QCOMPARE(w.PointPixels(), (std::vector<views::PixelPoint>{{10, 510}, {350, 110}, {690, 10}}));
            QCOMPARE(Pixel(graph, 350, 110), kBlue); // dot of point 2
            QCOMPARE(Pixel(graph, 10, 510), kRed);   // the selected point 1
            QCOMPARE(Pixel(graph, 5, 510), kBlue);   // flat from the left edge
            QCOMPARE(Pixel(graph, 695, 10), kBlue);  // and on to the right edge
            QCOMPARE(Pixel(graph, 0, 0), QColor(Qt::black)); // frame
            QCOMPARE(Pixel(graph, 200, 300), QColor(Qt::white));
            // Tick marks and labels in the strips.
            QCOMPARE(Pixel(w.ImageX->Picture(), 350, 5), QColor(Qt::black));
            QVERIFY(HasBlackIn(w.ImageX->Picture(), QRect(692, 12, 30, 14))); // "1000"
            QCOMPARE(Pixel(w.ImageY->Picture(), 75, 260), QColor(Qt::black));
            QVERIFY(HasBlackIn(w.ImageY->Picture(), QRect(30, 4, 38, 14)));
            QVERIFY(!HasBlackIn(w.ImageY->Picture(), QRect(69, 20, 10, 200)));
            // Mode 1: the preview shows the curve and its mirror image left of the centre.
            QVERIFY(w.Image6->isVisible());
            QCOMPARE(Pixel(w.Image6->Picture(), 195, 6), kBlue);
            QCOMPARE(Pixel(w.Image6->Picture(), 6, 6), kBlue);

            // Picking: 5 pixels off selects, 6 does not.
            QTest::mouseMove(w.Image1, QPoint(345, 105));
            QTest::mouseClick(w.Image1, Qt::LeftButton, {}, QPoint(345, 105));
            QCOMPARE(w.SpinEdit_GrafiekPunt->value(), 2);
            QCOMPARE(w.Panel_PY->text(), QStringLiteral("800"));
            QCOMPARE(Pixel(graph, 350, 110), kRed);
            QTest::mouseMove(w.Image1, QPoint(684, 10));
            QTest::mouseClick(w.Image1, Qt::LeftButton, {}, QPoint(684, 10));
            QCOMPARE(w.SpinEdit_GrafiekPunt->value(), 2);

            // Editing Y of point 2 through the single-parameter dialog redraws the curve.
            w.cmdEdit_Y->click();
            QCOMPARE(ParameterValues[171], 900);
            QCOMPARE(w.Panel_PY->text(), QStringLiteral("900"));
            QCOMPARE(w.PointPixels()[1], (views::PixelPoint{350, 60}));

            // Bigger dots; grid lines.
            w.SpinEditDot->setValue(5);
            QCOMPARE(Pixel(graph, 350 + 3, 60), kRed);
            w.CheckHulplijnenYas->click();
            QVERIFY(HasBlackIn(graph, QRect(100, 260, 60, 1)));
        });
        QVERIFY(ran);
        QVERIFY(edited->acted);
        QCOMPARE(ProgramSettings.PuntGrootte, 5);
        QVERIFY(ProgramSettings.Linearisatie_Y_hulplijn);

        // Mode 0 hides the preview; one point draws nothing.
        ParameterValues[241] = 0;
        ParameterValues[247] = 1;
        QVERIFY(WhileOpen<TFormLinearisatie>(QStringLiteral("FormLinearisatie"), h.main->Grafiek2,
                                             [](TFormLinearisatie& w) {
            QVERIFY(!w.Image6->isVisible());
            QCOMPARE(Pixel(w.Image1->Picture(), 350, 60), QColor(Qt::white));
            QCOMPARE(w.SpinEdit_GrafiekPunt->value(), 1);
        }));
        // A count beyond the table is held to 30 points.
        ParameterValues[247] = 400;
        QVERIFY(WhileOpen<TFormLinearisatie>(QStringLiteral("FormLinearisatie"), h.main->Grafiek2,
                                             [](TFormLinearisatie& w) { QCOMPARE(w.PointCount(), 30); }));
    }

    void graphPixelRules()
    {
        EditorHarness h;
        InstallViewWindows(*h.main);
        ProgramSettings.X_Div = 2; // 1 sec
        ProgramSettings.Y_Div = 3; // 1000
        ProgramSettings.BronItem = 0;
        QVERIFY(WhileOpen<TFormGrafiek>(QStringLiteral("FormGrafiek"), h.main->Grafiek1, [](TFormGrafiek& w) {
            QVERIFY(!w.CmdStartLog->isEnabled()); // the port is closed
            views::GraphLog& log = w.Log();
            log.Start();
            std::uint32_t now = 0;
            w.SetClock([&now] { return now; });
            // 5 x Ydiv at time 0, -5 x Ydiv one second later, 0 after two.
            for (std::int32_t value : {5000, -5000, 0}) {
                log.Add(now, value);
                now += 1000;
            }
            w.TekenGrafiek();
            const QImage& plot = w.Image1->Picture();
            QCOMPARE(Pixel(plot, 0, 4), kBlue); // from (0, 4) down to (60, 404)
            QCOMPARE(Pixel(plot, 60, 404), kBlue);
            QCOMPARE(Pixel(plot, 90, 304), kBlue);
            QCOMPARE(Pixel(plot, 300, 204), QColor(Qt::black)); // centre line
            QCOMPARE(Pixel(plot, 300, 100), QColor(Qt::white));
            // Value axis: ticks every 40 rows; the top label "5000" (position decimals 0).
            QCOMPARE(Pixel(w.ImageY->Picture(), 75, 10), QColor(Qt::black));
            QCOMPARE(Pixel(w.ImageY->Picture(), 75, 410), QColor(Qt::black));
            QVERIFY(HasBlackIn(w.ImageY->Picture(), QRect(20, 4, 48, 14)));

            // A view starting at 12345 ms: the first tick 40 pixels in (strip column 60).
            log.Start();
            for (std::uint32_t t : {0u, 12345u, 13000u}) {
                now = t;
                log.Add(now, 0);
            }
            w.CheckBoxAutoScroll->setChecked(false);
            w.ScrollBar2->setValue(1);
            const QImage& strip = w.ImageX->Picture();
            QCOMPARE(Pixel(strip, 60, 5), QColor(Qt::black));
            QVERIFY(Pixel(strip, 20, 5) != QColor(Qt::black));
            QCOMPARE(Pixel(strip, 120, 5), QColor(Qt::black));
            QVERIFY(HasBlackIn(strip, QRect(50, 10, 28, 16))); // "13,0"

            // Voltage: scale 20000 locked.
            w.ComboBoxBron->setCurrentIndex(3);
            QCOMPARE(w.ListBoxY->currentRow(), 7);
            QVERIFY(!w.ListBoxY->isEnabled());
            w.ComboBoxBron->setCurrentIndex(0);
            QVERIFY(w.ListBoxY->isEnabled());
            QCOMPARE(w.ListBoxY->currentRow(), 7);
        }));
        QCOMPARE(ProgramSettings.Y_Div, 7);
    }

    void graphLogsExportsStopsAndFails()
    {
        EditorHarness h;
        InstallViewWindows(*h.main);
        QVERIFY(h.OpenPort());
        // Replies end at their CR LF: the graph shares the line with the live polls, quickly.
        h.main->ZBComm1.SetFastReplyEnd(true);
        h.sim.withUnit(0, [](km4x::ControllerUnit& unit) { unit.frozenLive = km4x::LiveValues{111, 0, 40000, 0, 0}; });
        ParameterValues[203] = 2;
        ProgramSettings.BronItem = 0; // position
        const QString csv = h.dir.Path() + QStringLiteral("/log.csv");
        const QString png = h.dir.Path() + QStringLiteral("/log.png");
        h.dialogs.saveFileAnswers = {csv, png};
        constexpr int kSamples = 30;
        // The live values and the lamps run on while the graph is shown.
        QTest::mouseClick(h.main->CmdActual, Qt::LeftButton);
        QTest::mouseClick(h.main->CmdInUit, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!h.main->PanelActPos->text().isEmpty(), kWaitMs);

        QVERIFY(WhileOpen<TFormGrafiek>(QStringLiteral("FormGrafiek"), h.main->Grafiek1, [&](TFormGrafiek& w) {
            QVERIFY(ActualPolling && IoPolling);
            QVERIFY(w.CmdStartLog->isEnabled());
            w.CheckBoxAutoScroll->setChecked(true);
            w.CmdStartLog->click();
            QVERIFY(!w.CmdStartLog->isEnabled() && w.CmdStopLog->isEnabled() && !w.ComboBoxBron->isEnabled());
            QCOMPARE(w.PanelCommError->text(), QStringLiteral("Logging..."));
            QTRY_VERIFY_WITH_TIMEOUT(w.Log().Last() >= 3, kWaitMs);

            // Stop, the voltage, Start within one exchange: the position request under way neither
            // gives the new log its first sample nor goes on circulating beside the voltage's.
            w.CmdStopLog->click();
            w.ComboBoxBron->setCurrentIndex(3);
            w.CmdStartLog->click();
            h.sim.clearLog();
            QTRY_VERIFY_WITH_TIMEOUT(w.Log().Last() >= kSamples, kWaitMs);
            w.CmdStopLog->click();
            QVERIFY(w.CmdStartLog->isEnabled() && w.ListBoxY->isEnabled());
            QCOMPARE(w.PanelCommError->text(), QStringLiteral("Logging stopped."));
            QVERIFY(w.LabelBufferCount->text().endsWith(QStringLiteral(" sec")));
            QCOMPARE(w.Gauge1->value(), w.Log().Last());
            for (int i = 0; i <= w.Log().Last(); ++i)
                QCOMPARE(w.Log().Value(i), 40000);
            const std::vector<std::string> requests = RequestTexts(h.sim);
            QVERIFY(std::count(requests.begin(), requests.end(), "r2") >= kSamples);
            QVERIFY(std::count(requests.begin(), requests.end(), "ri") >= kSamples / 2);
            QVERIFY(std::adjacent_find(requests.begin(), requests.end(), [](const std::string& a, const std::string& b) {
                        return a == "r2" && b == "r2";
                    }) == requests.end());

            // The source switched after the log: the axis and the exports are still the voltage's.
            const QImage voltageAxis = w.ImageY->Picture().copy();
            w.ComboBoxBron->setCurrentIndex(0);
            QCOMPARE(w.ImageY->Picture(), voltageAxis);
            w.ComboBoxBron->setCurrentIndex(3);
            QCOMPARE(w.ImageY->Picture(), voltageAxis);
            // The export dialogs start in the folder of the last file chosen, its name beyond ASCII.
            const QString folder = h.dir.Path() + QStringLiteral("/Pr\u00fcfstand \u00d8st");
            ProgramSettings.OpenCloseDialoogPath = LocalPath(folder);
            w.CmdExportCsv->click();
            w.CmdExportPng->click();
            QCOMPARE(h.dialogs.count(FakeDialogs::Kind::SaveFile), 2);
            QCOMPARE(h.dialogs.asked.back().directory, folder);

            // A reply of another command ends the log as a failed request does.
            w.ComboBoxBron->setCurrentIndex(3);
            h.sim.setFault(0, km4x::Fault::WrongEchoOnce, true, "r2");
            w.CmdStartLog->click();
            QTRY_VERIFY_WITH_TIMEOUT(w.CmdStartLog->isEnabled(), kWaitMs);
            QCOMPARE(w.PanelCommError->text(), QStringLiteral("Communication error"));
            QCOMPARE(w.PanelCommError->palette().color(QPalette::WindowText), QColor(Qt::red));

            // A silent controller ends the log with the red time-out text, once, without boxes.
            // Started again at once, the new log runs.
            h.sim.setFault(0, km4x::Fault::Silent, true);
            w.CmdStartLog->click();
            QTRY_VERIFY_WITH_TIMEOUT(w.CmdStartLog->isEnabled(), kWaitMs);
            QCOMPARE(w.PanelCommError->text(), QStringLiteral("No response (time-out)"));
            QCOMPARE(w.PanelCommError->palette().color(QPalette::WindowText), QColor(Qt::red));
            h.sim.clearFaults();
            w.CmdStartLog->click();
            QTRY_VERIFY_WITH_TIMEOUT(w.Log().Last() >= 3, kWaitMs);
            // Closing while logging stops the cyclic request.
        }));
        QTest::qWait(100);
        h.sim.clearLog();
        QTRY_VERIFY_WITH_TIMEOUT(RequestTexts(h.sim).size() >= 10, kWaitMs);
        const std::vector<std::string> afterClose = RequestTexts(h.sim);
        QVERIFY(std::find(afterClose.begin(), afterClose.end(), "r2") == afterClose.end());
        QVERIFY(!FormGrafiek->KT750LeesLogData.Active());
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 0);
        // The live polls never stopped: values and lamps, no restart needed.
        QVERIFY(ActualPolling && IoPolling);
        QTRY_COMPARE_WITH_TIMEOUT(h.main->PanelActPos->text(), QStringLiteral("1,11"), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(device::Background(h.main->TB_K0) == device::LampOnColor, kWaitMs);

        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.first(), QByteArray("ms;V\r"));
        QVERIFY(lines.size() >= kSamples + 2);
        QCOMPARE(lines[1], QByteArray("0;4,0000\r"));
        QVERIFY(lines[kSamples].endsWith(";4,0000\r"));
        const QImage exported(png);
        QVERIFY(!exported.isNull());
        QVERIFY(exported.width() > views::GraphWidth);
    }

    // The line pulled while the graph logs: its own request finds out; one message naming the
    // line, the port closed, the log ended, and no message per request after.
    void graphPulledLineIsSaidOnceAndEndsTheLog()
    {
        EditorHarness h;
        InstallViewWindows(*h.main);
        QVERIFY(h.OpenPort());
        h.main->ZBComm1.SetFastReplyEnd(true);
        ProgramSettings.BronItem = 0;
        QVERIFY(WhileOpen<TFormGrafiek>(QStringLiteral("FormGrafiek"), h.main->Grafiek1, [&](TFormGrafiek& w) {
            w.CmdStartLog->click();
            QTRY_VERIFY_WITH_TIMEOUT(w.Log().Last() >= 3, kWaitMs);
            const QString device = QString::fromStdString(h.sim.devicePath());
            h.sim.closeLine();
            QTRY_COMPARE_WITH_TIMEOUT(h.dialogs.asked.size(), std::size_t(1), kWaitMs);
            QTest::qWait(400); // a message per request would have come by now
            QCOMPARE(h.dialogs.asked.size(), std::size_t(1));
            const QString text = h.dialogs.asked[0].text;
            QVERIFY2(text.contains(QStringLiteral("COM 1 (") + device + QStringLiteral("): ")), qPrintable(text));
            QVERIFY(!h.main->ZBComm1.Active());
            QVERIFY(!w.KT750LeesLogData.Active());
            QVERIFY(!w.CmdStartLog->isEnabled() && !w.CmdStopLog->isEnabled());
            QVERIFY(w.PanelCommError->text().startsWith(QStringLiteral("Communication error")));
            QCOMPARE(w.PanelCommError->palette().color(QPalette::WindowText), QColor(Qt::red));
        }));
        QCOMPARE(h.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(h.main->StatusPanels[1]->text(), QStringLiteral("Offline"));
    }
};

KMT40_GUI_TEST_MAIN(ViewWindowsTest)
#include "ViewWindowsTest.moc"

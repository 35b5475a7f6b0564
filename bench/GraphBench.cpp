// The live graph: (1) a full redraw of the plot with 4001 samples, all of them visible, against a
// floor of painting the same polyline into a bare image; (2) the sample rate a log reaches against
// the simulator (in a child process, paced at the wire speed) as a ratio to the exchange rate of
// the bare line, measured in the same run.
//
//   bench_graph [redraws] [samples]
#include "BareLineFloor.h"
#include "SimulatorChild.h"
#include "comm/PortNames.h"
#include "comm/qt/QtUiDispatcher.h"
#include "views/Grafiek.h"
#include "views/PaintBox.h"
#include "views/core/GraphGeometry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QTimer>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

using bench::Clock;

// The floor of a redraw: the white plot and the same polyline painted into a bare image.
double FloorRedrawMs(const std::vector<QPoint>& points, int redraws)
{
    QImage image(views::GraphWidth, views::GraphHeight, QImage::Format_RGB32);
    const auto start = Clock::now();
    for (int i = 0; i < redraws; ++i) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::blue);
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    }
    return bench::Ms(Clock::now() - start) / redraws;
}

} // namespace

int main(int argc, char** argv)
{
    const int redraws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int samples = argc > 2 ? std::max(10, std::atoi(argv[2])) : 200;
    qputenv("QT_QPA_PLATFORM", "offscreen");

    bench::SimulatorChild simulator;
    const std::string path = simulator.Start();
    if (path.empty())
        return 1;

    QApplication app(argc, argv);
    QtUiDispatcher dispatcher;
    UiDispatcher::SetDefault(&dispatcher);
    SetPortDevicePath(TPort::COM1, path);
    TZBComm port;
    port.SetBaudrate(TBaudrate::br38400);
    TFormGrafiek graph(&port);
    graph.FormActivate();

    // (1) 4001 samples 26 ms apart at 10 s per division: all of them on the plot.
    graph.ListBoxX->setCurrentRow(views::GraphTimeScaleCount - 1);
    graph.ListBoxY->setCurrentRow(10);
    graph.CheckHulplijnenXas->setChecked(true);
    graph.CheckHulplijnenYas->setChecked(true);
    views::GraphLog& log = graph.Log();
    log.Start();
    for (int i = 0; i <= views::GraphLastIndex; ++i)
        log.Add(static_cast<std::uint32_t>(26 * i), static_cast<std::int32_t>(150000 * std::sin(i / 80.0)));
    const std::vector<views::PixelPoint> curve = views::GraphCurve(log, 0, views::GraphTimeScale(5), 100000);
    std::vector<QPoint> points;
    for (const views::PixelPoint& p : curve)
        points.emplace_back(p.x, p.y);
    const auto start = Clock::now();
    for (int i = 0; i < redraws; ++i)
        graph.TekenGrafiek();
    const double redrawMs = bench::Ms(Clock::now() - start) / redraws;
    const double floorMs = FloorRedrawMs(points, redraws);

    // (2) A log of `samples` replies against the simulator.
    port.Open();
    graph.FormActivate();
    graph.ComboBoxBron->setCurrentIndex(0);
    graph.CmdStartLog->click();
    const auto logStart = Clock::now();
    {
        // A real event loop, as the program runs: QTest's waits sleep between event rounds, and
        // every reply byte is handed to this thread.
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (graph.Log().Last() >= samples || !graph.Logging() || bench::Ms(Clock::now() - logStart) > 120000)
                loop.quit();
        });
        check.start(5);
        loop.exec();
    }
    if (graph.Log().Last() < samples)
        std::fprintf(stderr, "the log did not reach %d samples\n", samples);
    const double logMs = bench::Ms(Clock::now() - logStart);
    const int logged = graph.Log().Last() + 1;
    graph.CmdStopLog->click();
    port.Close();
    double bareMs = 0;
    {
        bench::BareLineFloor line;
        if (line.Open(path)) {
            for (int i = 0; i < 50; ++i)
                bareMs += line.ExchangeMs("r0");
            bareMs /= 50;
        }
    }
    simulator.Stop();
    UiDispatcher::SetDefault(nullptr);

    std::printf("full redraw, 4001 samples  %.3f ms  (goal < 2 ms; %zu points on the plot, grid lines on)\n", redrawMs,
                points.size());
    std::printf("floor: bare polyline       %.3f ms\n", floorMs);
    std::printf("redraw / floor             %.2f\n", redrawMs / floorMs);
    const double perSample = logMs / std::max(1, logged - 1);
    std::printf("log                        %d samples in %.0f ms: %.2f ms per sample\n", logged, logMs, perSample);
    std::printf("bare-line exchange floor   %.2f ms  (\"r0\", 38400 baud, paced)\n", bareMs);
    if (bareMs > 0)
        std::printf("sample rate / line rate    %.4f  (goal >= 0.97)\n", bareMs / perSample);
    return 0;
}

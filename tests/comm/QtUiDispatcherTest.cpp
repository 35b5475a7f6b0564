// The hand-over to the Qt user-interface thread: blocking queued calls, wake-ups, and a port whose
// Close keeps the Qt event loop running while its thread finishes a callback.

#include "comm/qt/QtUiDispatcher.h"

#include "comm/KT750Protocol.h"
#include "comm/serial/FakeSerialLine.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "comm_qt_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

} // namespace

TEST(QtUiDispatcher, WorkerCallsRunInTheGuiThreadAndWait)
{
    app();
    QtUiDispatcher ui;
    EXPECT_TRUE(ui.isUiThread());
    std::vector<int> ran;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        EXPECT_FALSE(ui.isUiThread());
        for (int i = 0; i < 20; ++i)
            ui.runAndWait([&, i] {
                EXPECT_TRUE(ui.isUiThread());
                ran.push_back(i);
            });
        done = true;
        ui.wakeUp();
    });
    ui.processUntil([&] { return done.load(); });
    worker.join();
    ASSERT_EQ(ran.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(ran[static_cast<std::size_t>(i)], i);
}

TEST(QtUiDispatcher, PortExchangesAndClosesUnderTheQtLoop)
{
    app();
    QtUiDispatcher ui;
    auto line = std::make_shared<zbserial::FakeSerialLine>();
    line->SetResponder([](zbserial::FakeSerialLine& l, const std::vector<uint8_t>&) { l.Feed("rf 0\r\n"); });
    TZBComm port(&ui);
    port.SetLineFactory([line] { return line; });
    TKT750Protocol c;
    c.SetZBComm(&port);
    c.SetProtocolFoot(TSequenceChar::scCR);
    int results = 0;
    c.OnCommResult = [&](TObject*, TMemoryStream& r) {
        EXPECT_EQ(r.Text(), "rf 0\r\n");
        if (++results == 3)
            QCoreApplication::exit(0);
    };
    port.Open();
    c.SetASCIIProtocol("rf");
    c.SetActive(true);
    QTimer::singleShot(30000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(app().exec(), 0) << "three results within the time";
    // Cyclic polling goes on; Close must serve the thread's pending callback while it waits.
    port.Close();
    EXPECT_FALSE(port.Active());
    EXPECT_FALSE(c.Active());
}

TEST(QtUiDispatcher, AnExceptionFromAHandedOverCallGoesToTheHandler)
{
    app();
    QtUiDispatcher ui;
    std::string caught;
    ui.setExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& ex) {
            caught = ex.what();
        }
    });
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ui.runAndWait([] { throw std::runtime_error("handler failed"); });
        done = true;
        ui.wakeUp();
    });
    ui.processUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(caught, "handler failed");
}

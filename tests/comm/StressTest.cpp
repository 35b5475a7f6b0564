// Ten thousand requests from several components, handed over at random moments from the
// user-interface loop, each served exactly once and in the order it was sent.

#include "CommTestSupport.h"
#include "support/RequestTexts.h"
#include "support/SimulatorFixture.h"

#include <random>
#include <thread>

using namespace commtest;
using namespace std::chrono_literals;

namespace {

constexpr int Components = 5;
constexpr int RequestsPerComponent = 2000;

} // namespace

TEST(Stress, EveryRequestIsServedOnceInOrder)
{
    SimulatorOnPty sim;
    LoopDispatcher ui;
    TZBComm port(&ui);
    port.SetPortName(sim.port());
    port.SetBaudrate(TBaudrate::br38400);

    struct Client {
        TKT750Protocol component;
        int sent = 0;
        std::vector<std::string> replies;
    };
    std::vector<std::unique_ptr<Client>> clients;
    std::vector<std::string> sendOrder;
    std::mt19937 random(1234);
    // Posts the next request of a client from another thread after a random pause (often none),
    // so hand-overs meet the thread at every point of its loop.
    std::vector<std::thread> timers;
    std::mutex timersMutex;
    auto sendNext = [&](Client& client) {
        const std::string text = "rp " + std::to_string(client.sent % 400);
        ++client.sent;
        client.component.SetASCIIProtocol(text);
        client.component.SendRequest();
        sendOrder.push_back(text);
    };
    auto later = [&](Client& client, int microseconds) {
        std::lock_guard<std::mutex> lock(timersMutex);
        timers.emplace_back([&ui, &client, &sendNext, microseconds] {
            std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
            ui.post([&] { sendNext(client); });
        });
    };
    for (int i = 0; i < Components; ++i) {
        clients.push_back(std::make_unique<Client>());
        Client& client = *clients.back();
        // A stop character ends each reply at its LF instead of 50 ms of silence.
        programStyle(client.component, port);
        client.component.SetReceiveStop(TSequenceChar::scLF);
        client.component.OnCommResult = [&](TObject*, TMemoryStream& r) {
            client.replies.push_back(r.Text());
            if (client.sent >= RequestsPerComponent)
                return;
            const int pause = static_cast<int>(random() % 4);
            if (pause == 0)
                sendNext(client);
            else
                later(client, pause * 150);
        };
        client.component.OnCommError = [&](TObject*, TCommError& e, TMemoryStream&) {
            ADD_FAILURE() << "error " << e.Code << " after " << client.replies.size() << " replies";
        };
    }
    port.Open();
    for (auto& client : clients)
        sendNext(*client);

    const bool finished = ui.runUntil(
        [&] {
            for (auto& client : clients)
                if (client->replies.size() < RequestsPerComponent)
                    return false;
            return true;
        },
        240000);
    {
        std::lock_guard<std::mutex> lock(timersMutex);
        for (auto& t : timers)
            t.join();
    }
    ui.runPending(0);
    port.Close();
    ASSERT_TRUE(finished) << "hang";

    for (auto& client : clients) {
        ASSERT_EQ(client->replies.size(), static_cast<std::size_t>(RequestsPerComponent));
        for (int n = 0; n < RequestsPerComponent; ++n) {
            const std::string expected = "rp " + std::to_string(n % 400) + " ";
            ASSERT_EQ(client->replies[static_cast<std::size_t>(n)].substr(0, expected.size()), expected) << n;
        }
    }
    // The line saw every request exactly once, in the order they were handed over.
    EXPECT_EQ(RequestTexts(sim.sim()), sendOrder);
}

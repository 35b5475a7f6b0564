// A long run of the main window's live polls and the graph's logging against the simulator, with
// the fast end of reply: the actual values, the inputs/outputs and the graph's source all polled
// cyclically on one port, each reply read by the same Qt-free code the windows hand it to. What
// must not grow over the run: resident memory (goal: within 1 MB), open file descriptors and
// threads (goal: none more). The figures are taken once every poll has answered once and again
// after the last exchange, the port still open both times.
//
// The simulator runs in a child process (its threads and descriptors are not counted here) and
// answers as fast as the pseudo-terminal takes it, so that a long run does not take hours.
//
//   bench_soak [exchanges]   (100000 when not given)

#include "ProcessFigures.h"
#include "SimulatorChild.h"
#include "app/core/Global_var.h"
#include "comm/KT750Protocol.h"
#include "comm/LoopDispatcher.h"
#include "device/core/ActualValues.h"
#include "device/core/IoLamps.h"
#include "device/core/ReplyValue.h"
#include "views/core/GraphGeometry.h"
#include "views/core/GraphLog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr long MemoryGoalKb = 1024;

struct Tally {
    long exchanges = 0;  // replies and errors
    long failures = 0;   // errors, and replies the window would show as failed
    long graphsFull = 0; // logs of 4001 samples completed, each turned into its CSV as when saved
    std::size_t panelText = 0; // keeps what the panels would show from being optimised away
};

// A cyclic request of the main window or the graph: its command, and what the window does with
// the reply.
struct Poll {
    TKT750Protocol component;
    bool answered = false;
};

void Bind(Poll& poll, TZBComm& port, const std::string& command, Tally& tally,
          std::function<bool(const std::vector<std::uint8_t>&)> read)
{
    poll.component.SetZBComm(&port);
    poll.component.SetProtocolFoot(TSequenceChar::scCR);
    poll.component.SetASCIIProtocol(command);
    poll.component.OnCommResult = [&poll, &tally, read = std::move(read)](TObject*, TMemoryStream& result) {
        poll.answered = true;
        ++tally.exchanges;
        if (!read(result.Bytes()))
            ++tally.failures;
    };
    poll.component.OnCommError = [&poll, &tally](TObject*, TCommError& error, TMemoryStream&) {
        // The all-zero record after a recovery is no exchange of its own.
        if (error.IsZero())
            return;
        poll.answered = true;
        ++tally.exchanges;
        ++tally.failures;
    };
}

void Print(const char* when, const bench::ProcessFigures& figures)
{
    std::printf("%-22s resident %6ld kB, descriptors %3d, threads %2d\n", when, figures.residentKb,
                figures.descriptors, figures.threads);
}

} // namespace

int main(int argc, char** argv)
{
    const long exchanges = argc > 1 ? std::max(1L, std::atol(argv[1])) : 100000;
    bench::SimulatorChild simulator;
    const std::string path = simulator.StartAsCom1(false);
    if (path.empty())
        return 1;
    LoopDispatcher ui;
    TZBComm port(&ui);
    port.SetBaudrate(TBaudrate::br38400);
    port.SetFastReplyEnd(true);
    const bench::ProcessFigures beforeOpen = bench::ProcessFigures::Now();
    port.Open();
    if (!port.Active()) {
        std::fprintf(stderr, "the port did not open\n");
        return 1;
    }

    Tally tally;
    std::list<Poll> polls; // components stay where they are: the port keeps their addresses
    // The actual values the main window polls with the linearised position and the voltage shown.
    TParameterValues parameters{};
    parameters[246] = 1;
    parameters[388] = 1;
    for (device::ActualValue value : device::ActualValuesToPoll(parameters)) {
        Bind(polls.emplace_back(), port, device::ActualCommand(value), tally, [&tally, value](const auto& reply) {
            const std::string shown = device::ActualReplyDisplay(value, reply);
            tally.panelText += shown.size();
            return shown != device::FailedRequestText && shown != device::NotANumberText;
        });
    }
    // Inputs and outputs: the lamps of "ri" and "ru", the data words "ra" and "rb".
    Bind(polls.emplace_back(), port, "ri", tally, [&tally](const auto& reply) {
        const auto text = device::EchoedValueText(reply, "ri", device::kIoReplyBufferSize);
        tally.panelText += text ? device::InputLamps(*text)[0] : 0;
        return text.has_value();
    });
    Bind(polls.emplace_back(), port, "ru", tally, [&tally](const auto& reply) {
        const auto text = device::EchoedValueText(reply, "ru", device::kIoReplyBufferSize);
        tally.panelText += text ? device::OutputLamps(*text)[0] : 0;
        return text.has_value();
    });
    for (const char* word : {"ra", "rb"}) {
        Bind(polls.emplace_back(), port, word, tally, [&tally, word](const auto& reply) {
            const auto text = device::EchoedValueText(reply, word, device::kIoReplyBufferSize);
            tally.panelText += text ? text->size() : 0;
            return text.has_value();
        });
    }
    // The graph logs its source's replies; a full log is saved as CSV and a new one started, as a
    // user logging over and over would.
    views::GraphLog log;
    log.Start(0);
    const views::GraphSource& source = views::GraphSourceOf(0);
    const auto started = Clock::now();
    Bind(polls.emplace_back(), port, source.command, tally, [&](const auto& reply) {
        if (!device::EchoMatches(reply, source.command))
            return false;
        const auto tick = static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count());
        if (log.Add(tick, views::GraphReplyValue(source.command, reply))) {
            tally.panelText += views::GraphCsv(log, source.unitText, source.decimals).size();
            ++tally.graphsFull;
            log.Start(0);
        }
        return true;
    });

    for (Poll& poll : polls)
        poll.component.SetActive(true);
    const auto allAnswered = [&] {
        for (const Poll& poll : polls) {
            if (!poll.answered)
                return false;
        }
        return true;
    };
    if (!ui.runUntil(allAnswered, 10000)) {
        std::fprintf(stderr, "not every poll was answered\n");
        return 1;
    }
    const bench::ProcessFigures start = bench::ProcessFigures::Now();
    const long firstExchanges = tally.exchanges;
    const auto soakStart = Clock::now();
    const long goal = firstExchanges + exchanges;
    const bool finished = ui.runUntil([&] { return tally.exchanges >= goal; }, -1);
    const double seconds = std::chrono::duration<double>(Clock::now() - soakStart).count();
    const bench::ProcessFigures end = bench::ProcessFigures::Now();
    for (Poll& poll : polls) {
        poll.component.SetActive(false);
        poll.component.CancelRequest();
    }
    ui.runPending(0);
    port.Close();
    simulator.Stop();
    const bench::ProcessFigures afterClose = bench::ProcessFigures::Now();

    const long done = tally.exchanges - firstExchanges;
    std::printf("exchanges              %ld in %.1f s (%.3f ms each), %zu polls, fast end of reply, simulator unpaced\n",
                done, seconds, seconds * 1000.0 / static_cast<double>(done), polls.size());
    std::printf("failed exchanges       %ld; graph logs of 4001 samples filled and saved: %ld\n", tally.failures,
                tally.graphsFull);
    Print("before the port opened", beforeOpen);
    Print("start (all answered)", start);
    Print("end", end);
    Print("after the port closed", afterClose);
    const long memory = end.residentKb - start.residentKb;
    const int descriptors = end.descriptors - start.descriptors;
    const int threads = end.threads - start.threads;
    const bool met = memory <= MemoryGoalKb && descriptors <= 0 && threads <= 0 && tally.failures == 0;
    std::printf("growth                 resident %+ld kB (goal within %ld kB), descriptors %+d, threads %+d "
                "(goal: none more): %s\n",
                memory, MemoryGoalKb, descriptors, threads, met ? "goal met" : "GOAL MISSED");
    return finished ? 0 : 1;
}

// TKT750Protocol exchanges against the simulator on a pseudo-terminal. An exchange cannot end
// before its last reply byte has arrived and 50 ms of silence have followed, so each exchange is
// compared with that floor, measured in the same run; CPU time per exchange is reported beside it.
//
// The simulator runs in a child process so that the CPU figures are the serial stack's alone.
//
//   bench_exchange [exchanges]

#include "BareLineFloor.h"
#include "SimulatorChild.h"
#include "TimedKT750.h"
#include "comm/KT750Protocol.h"
#include "comm/LoopDispatcher.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using bench::Clock;
using bench::SilenceMs;
using bench::TimedKT750;
const char* const Request = "rp 7";

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// The same exchange done by hand on the bare line, as a second floor: the mean of Exchanges
// exchanges, 0 when the line fails.
double bareLineFloorMs(const std::string& path, int exchanges)
{
    bench::BareLineFloor line;
    if (!line.Open(path))
        return 0;
    double total = 0;
    for (int i = 0; i < exchanges; ++i) {
        const double floor = line.ExchangeMs(Request);
        if (floor < 0)
            return 0;
        total += floor;
    }
    return total / exchanges;
}

} // namespace

int main(int argc, char** argv)
{
    const int exchanges = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    bench::SimulatorChild simulator;
    const std::string path = simulator.StartAsCom1();
    if (path.empty())
        return 1;

    LoopDispatcher ui;
    TZBComm port(&ui);
    port.SetBaudrate(TBaudrate::br38400);
    TimedKT750 kt750;
    kt750.SetZBComm(&port);
    kt750.SetProtocolFoot(TSequenceChar::scCR);
    kt750.SetASCIIProtocol(Request);
    bool done = false, failed = false;
    Clock::time_point finished;
    kt750.OnCommResult = [&](TObject*, TMemoryStream&) {
        finished = Clock::now();
        done = true;
    };
    kt750.OnCommError = [&](TObject*, TCommError&, TMemoryStream&) {
        done = failed = true;
    };
    port.Open();

    double wallTotal = 0, floorTotal = 0, worstRatio = 0, firstByteTotal = 0;
    int replyBytes = 0;
    const double cpuStart = cpuMs();
    for (int i = 0; i < exchanges; ++i) {
        done = false;
        kt750.bytes = 0;
        const auto start = Clock::now();
        kt750.SendRequest();
        ui.runUntil([&] { return done; }, 10000);
        if (!done || failed || kt750.bytes == 0) {
            std::fprintf(stderr, "exchange %d failed\n", i);
            return 1;
        }
        const double wall = bench::Ms(finished - start);
        const double floor = bench::Ms(kt750.lastByte - start) + SilenceMs;
        wallTotal += wall;
        floorTotal += floor;
        firstByteTotal += bench::Ms(kt750.firstByte - start);
        replyBytes = kt750.bytes;
        worstRatio = std::max(worstRatio, wall / floor);
    }
    const double cpuPerExchange = (cpuMs() - cpuStart) / exchanges;

    // The same with the fast end of reply: the reply ends at its CR LF, the floor is a plain line
    // reader's exchange (done at the LF).
    port.SetFastReplyEnd(true);
    double fastWallTotal = 0;
    const double fastCpuStart = cpuMs();
    for (int i = 0; i < exchanges; ++i) {
        done = false;
        const auto start = Clock::now();
        kt750.SendRequest();
        ui.runUntil([&] { return done; }, 10000);
        if (!done || failed) {
            std::fprintf(stderr, "fast exchange %d failed\n", i);
            return 1;
        }
        fastWallTotal += bench::Ms(finished - start);
    }
    const double fastCpuPerExchange = (cpuMs() - fastCpuStart) / exchanges;
    port.Close();
    const double bareFloor = bareLineFloorMs(path, 50);
    const double lineReaderFloor = bareFloor - SilenceMs;

    simulator.Stop();

    const double ratio = wallTotal / floorTotal;
    std::printf("exchanges                 %d x \"%s\" -> %d reply bytes, 38400 baud, paced at wire speed\n",
                exchanges, Request, replyBytes);
    std::printf("wall per exchange         %.2f ms\n", wallTotal / exchanges);
    std::printf("floor per exchange        %.2f ms  (first byte %.2f ms + reply bytes + %.0f ms silence)\n",
                floorTotal / exchanges, firstByteTotal / exchanges, SilenceMs);
    std::printf("bare-line floor           %.2f ms  (same exchange by hand on the line)\n", bareFloor);
    std::printf("wall / floor              %.4f  (worst single exchange %.4f; goal <= 1.03)\n", ratio, worstRatio);
    if (bareFloor > 0)
        std::printf("wall / bare-line floor    %.4f\n", wallTotal / exchanges / bareFloor);
    std::printf("CPU per exchange          %.3f ms  (goal well under 1 ms)\n", cpuPerExchange);
    std::printf("fast end of reply         %.2f ms per exchange, line reader %.2f ms, ratio %.4f  (goal <= 1.1)\n",
                fastWallTotal / exchanges, lineReaderFloor, fastWallTotal / exchanges / lineReaderFloor);
    std::printf("CPU per exchange, fast    %.3f ms  (goal < 0.15 ms)\n", fastCpuPerExchange);
    return 0;
}

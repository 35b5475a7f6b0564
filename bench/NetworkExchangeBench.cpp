// The same KT750 exchange on the simulator's pseudo-terminal directly and through a real ser2net on
// the loopback (rfc2217://), simulator paced at the wire speed. Two figures, each a ratio to a
// floor measured in the same run:
//  - the fast end of reply through the server per exchange, to the same exchange on the
//    pseudo-terminal directly (what the server and the network add; goal <= 1.3);
//  - the specified end of reply (50 ms of silence) through the server, to its floor: the last
//    reply byte's arrival plus the silence (what the network line adds; goal <= 1.05).
//
//   bench_network_exchange [exchanges]

#include "BareLineFloor.h"
#include "SimulatorChild.h"
#include "TimedKT750.h"
#include "comm/LoopDispatcher.h"
#include "comm/PortNames.h"
#include "support/Ser2NetServer.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using bench::Clock;

struct Figures {
    double wallMs = 0;  // mean per exchange
    double floorMs = 0; // mean of last reply byte + silence
    bool ok = false;
};

Figures measure(const std::string& device, bool fast, int exchanges)
{
    Figures figures;
    SetPortDevicePath(TPort::COM1, device);
    LoopDispatcher ui;
    TZBComm port(&ui);
    port.SetBaudrate(TBaudrate::br38400);
    port.SetFastReplyEnd(fast);
    bench::TimedKT750 kt750;
    kt750.SetZBComm(&port);
    kt750.SetProtocolFoot(TSequenceChar::scCR);
    kt750.SetASCIIProtocol("rp 7");
    // A machine under load may be slow to answer the first request; the time-out only guards.
    kt750.SetTimeoutTime(2000);
    bool done = false, failed = false;
    Clock::time_point finished;
    kt750.OnCommResult = [&](TObject*, TMemoryStream&) {
        finished = Clock::now();
        done = true;
    };
    TCommError lastError;
    kt750.OnCommError = [&](TObject*, TCommError& Error, TMemoryStream&) {
        lastError = Error;
        done = failed = true;
    };
    try {
        port.Open();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", device.c_str(), e.what());
        return figures;
    }
    for (int i = 0; i < exchanges; ++i) {
        done = false;
        kt750.bytes = 0;
        const auto start = Clock::now();
        kt750.SendRequest();
        ui.runUntil([&] { return done; }, 10000);
        if (!done || failed || kt750.bytes == 0) {
            std::fprintf(stderr, "%s: exchange %d failed (code %u, system error %u)\n", device.c_str(), i,
                         static_cast<unsigned>(lastError.Code), static_cast<unsigned>(lastError.SystemError));
            return figures;
        }
        figures.wallMs += bench::Ms(finished - start);
        figures.floorMs += bench::Ms(kt750.lastByte - start) + bench::SilenceMs;
    }
    kt750.SetZBComm(nullptr);
    port.Close();
    figures.wallMs /= exchanges;
    figures.floorMs /= exchanges;
    figures.ok = true;
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    const int exchanges = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    if (testsupport::Ser2NetProgram().empty()) {
        std::printf("ser2net is not installed (scripts/setup.sh installs it): skipped\n");
        return 0;
    }
    bench::SimulatorChild simulator;
    const std::string pty = simulator.Start();
    if (pty.empty()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    testsupport::Ser2NetServer server(pty);
    if (!server.Ready()) {
        std::fprintf(stderr, "ser2net did not start:\n%s\n", server.Log().c_str());
        return 1;
    }
    // Alternating rounds, so that a burst of load on the machine weighs on both sides alike.
    Figures direct, remote, remoteSpecified;
    constexpr int Rounds = 4;
    for (int round = 0; round < Rounds; ++round) {
        const Figures d = measure(pty, true, exchanges / Rounds + 1);
        const Figures r = measure(server.Rfc2217Url(), true, exchanges / Rounds + 1);
        if (!d.ok || !r.ok)
            return 1;
        direct.wallMs += d.wallMs / Rounds;
        remote.wallMs += r.wallMs / Rounds;
    }
    remoteSpecified = measure(server.Rfc2217Url(), false, std::max(10, exchanges / 10));
    if (!remoteSpecified.ok)
        return 1;

    std::printf("exchanges                   %d x \"rp 7\", 38400 baud, paced at wire speed\n", exchanges);
    std::printf("fast end, pty directly      %.2f ms per exchange\n", direct.wallMs);
    std::printf("fast end, through ser2net   %.2f ms per exchange\n", remote.wallMs);
    std::printf("ser2net / pty (fast end)    %.4f  (goal <= 1.3)\n", remote.wallMs / direct.wallMs);
    std::printf("specified end, ser2net      %.2f ms per exchange, floor %.2f ms (last byte + %.0f ms silence)\n",
                remoteSpecified.wallMs, remoteSpecified.floorMs, bench::SilenceMs);
    std::printf("wall / floor (ser2net)      %.4f  (goal <= 1.05)\n", remoteSpecified.wallMs / remoteSpecified.floorMs);
    return 0;
}

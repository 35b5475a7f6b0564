// The device search over an empty line: 160 probes ("sc 0" .. "sc 31" at five baud rates) that
// all end in the first-byte time-out. No probe can end sooner than its send time plus the 100 ms
// time-out, so the search is compared with 160 such floors, measured on the bare line in the same
// run. The line is a pseudo-terminal whose other end never answers.
//
//   bench_search [floor probes]

#include "comm/DeviceSearch.h"
#include "comm/LoopDispatcher.h"
#include "comm/PortNames.h"
#include "comm/serial/SerialLine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int FirstByteTimeoutMs = 100;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// One probe on the bare line: purge, write, drain, then wait the whole time-out for a first byte.
double probeFloorMs(zbserial::SerialLine& line, int unit)
{
    const std::string frame = "sc " + std::to_string(unit) + "\r";
    const auto start = Clock::now();
    line.Purge();
    line.Write(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    line.Drain();
    uint8_t byte = 0;
    line.SetReadTimeout(FirstByteTimeoutMs);
    line.ReadByte(byte);
    return ms(Clock::now() - start);
}

} // namespace

int main(int argc, char** argv)
{
    const int floorProbes = argc > 1 ? std::atoi(argv[1]) : 20;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    const std::string device = ptsname(master);

    double floorMs = 0;
    {
        auto line = zbserial::CreatePlatformSerialLine();
        zbserial::LineSettings settings;
        if (!line->Open(device) || !line->GetSettings(settings) || !line->SetSettings(settings)) {
            std::fprintf(stderr, "cannot open %s: %s\n", device.c_str(), line->LastErrorText().c_str());
            return 1;
        }
        for (int i = 0; i < floorProbes; ++i)
            floorMs += probeFloorMs(*line, i % 32);
        floorMs /= floorProbes;
        line->Close();
    }

    LoopDispatcher loop;
    TZBComm port(&loop);
    SetPortDevicePath(TPort::COM1, device);
    TDeviceSearch search(port);
    bool finished = false;
    search.OnFinished = [&] { finished = true; };
    search.SaveSettings();
    const auto start = Clock::now();
    search.Start();
    loop.runUntil([&] { return finished; }, 120000);
    const double searchMs = ms(Clock::now() - start);
    port.Close();
    close(master);

    const int probes = search.ProbeCount();
    std::printf("probe floor (send + %d ms time-out, bare line): %.2f ms\n", FirstByteTimeoutMs, floorMs);
    std::printf("search over an empty line: %d probes in %.0f ms (%.2f ms per probe)\n", probes, searchMs,
                searchMs / probes);
    std::printf("ratio to %d x floor: %.3f (goal <= 1.03)\n", probes, searchMs / (probes * floorMs));
    return finished && probes == 160 ? 0 : 1;
}

// The device search engine on the scripted fake line, which sees every setting the search puts on
// the line (a pseudo-terminal hides parity): the probe orders, the finds, units that answer
// wrongly, and an adapter that goes away mid-search. Probe time-outs are 1 ms, so whole orders run
// in moments.
#include "CommTestSupport.h"

#include "comm/DeviceSearch.h"
#include "comm/ZBPlatform.h"

#include <cerrno>
#include <functional>
#include <map>

using namespace commtest;

namespace {

struct Probe {
    uint32_t baud;
    char parity;
    int stopbits;
    std::string frame;
};

char parityLetter(uint8_t parity)
{
    return parity == zbserial::EVENPARITY ? 'E' : parity == zbserial::ODDPARITY ? 'O' : 'N';
}

// Units on the fake line: each answers only at its own settings; replies are given per command.
struct FakeBus {
    struct Unit {
        uint32_t baud;
        char parity;
        int stopbits;
        std::map<std::string, std::string> replies; // request text -> reply bytes
    };
    std::map<int, Unit> units;
    std::vector<Probe> probes;
    int selected = -1;
    // Called in the line's thread with each request text before the selected unit answers it.
    std::function<void(const std::string&)> beforeReply;

    void install(zbserial::FakeSerialLine& line)
    {
        line.SetResponder([this](zbserial::FakeSerialLine& l, const std::vector<uint8_t>& frame) {
            const zbserial::LineSettings s = l.Settings();
            std::string text(frame.begin(), frame.end());
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
            const Probe probe{s.BaudRate, parityLetter(s.Parity), s.StopBits == zbserial::TWOSTOPBITS ? 2 : 1, text};
            if (text.rfind("sc ", 0) == 0) {
                probes.push_back(probe);
                selected = std::stoi(text.substr(3));
            }
            auto unit = units.find(selected);
            if (unit == units.end() || unit->second.baud != probe.baud || unit->second.parity != probe.parity ||
                unit->second.stopbits != probe.stopbits)
                return;
            if (beforeReply)
                beforeReply(text);
            auto reply = unit->second.replies.find(text);
            if (reply != unit->second.replies.end())
                l.Feed(reply->second);
        });
    }

    void addUnit(int number, uint32_t baud, char parity, int stopbits, const std::string& scReply = {})
    {
        const std::string n = std::to_string(number);
        units[number] = {baud, parity, stopbits,
                         {{"sc " + n, scReply.empty() ? "sc " + n + "\r\n" : scReply},
                          {"rt", "rt KM40\r\n"},
                          {"rh", "rh SW 2.31\r\n"},
                          {"rx", "rx SN " + n + "\r\n"}}};
    }
};

struct SearchRun {
    FakePort fake;
    FakeBus bus;
    TDeviceSearch search{fake.port};
    int finished = 0;
    std::vector<std::string> lost;

    explicit SearchRun(TDeviceSearch::TOptions options)
    {
        options.ProbeTimeoutMs = 1;
        bus.install(*fake.line);
        search.SetOptions(options);
        search.OnFinished = [this] { ++finished; };
        search.OnLineLost = [this](const std::string& message) { lost.push_back(message); };
        // The CLI's way: every find is taken at once and the search goes on.
        search.OnFound = [this](const TFoundDevice&) { fake.ui.post([this] { search.Continue(); }); };
    }

    void runToEnd()
    {
        search.SaveSettings();
        search.Start();
        ASSERT_TRUE(fake.until([&] { return finished > 0 || !lost.empty(); }));
    }
};

} // namespace

TEST(DeviceSearch, BothAutoOptionsProbeEachUnitSixWaysAndEveryBaudRateOnce)
{
    TDeviceSearch::TOptions options;
    options.StartBaudrate = TBaudrate::br38400;
    options.AutoParity = true;
    options.AutoStopbits = true;
    options.HighestUnit = 2;
    SearchRun run(options);
    run.runToEnd();

    const std::vector<uint32_t> rates{38400, 57600, 9600, 19200, 28800};
    const std::vector<std::pair<char, int>> combinations{{'N', 1}, {'O', 1}, {'E', 1}, {'N', 2}, {'O', 2}, {'E', 2}};
    ASSERT_EQ(run.bus.probes.size(), rates.size() * 3 * combinations.size());
    std::size_t i = 0;
    for (uint32_t rate : rates)
        for (int unit = 0; unit <= 2; ++unit)
            for (const auto& [parity, stopbits] : combinations) {
                const Probe& p = run.bus.probes[i++];
                EXPECT_EQ(p.baud, rate) << i;
                EXPECT_EQ(p.parity, parity) << i;
                EXPECT_EQ(p.stopbits, stopbits) << i;
                EXPECT_EQ(p.frame, "sc " + std::to_string(unit)) << i;
            }
    EXPECT_EQ(run.finished, 1);
    EXPECT_EQ(run.search.State(), TDeviceSearch::TState::Finished);
}

TEST(DeviceSearch, AsComKeepsTheSavedFrameOver160ProbesAndListsEveryUnitThatAnswersItsSelect)
{
    TDeviceSearch::TOptions options; // 9600 start, parity and stop bits "als COM"
    FakePort* fake = nullptr;
    SearchRun run(options);
    fake = &run.fake;
    run.fake.port.SetFrameParitybit(TParityBit::Even);
    run.fake.port.SetFrameStopbits(TStopBit::sb_1);
    run.bus.addUnit(5, 19200, 'E', 1);
    run.bus.addUnit(31, 57600, 'E', 1);
    run.bus.addUnit(6, 19200, 'E', 2);                      // other stop bits: never heard
    run.bus.addUnit(7, 9600, 'E', 1, "sc 8\r\n");           // wrong echo
    run.bus.addUnit(8, 9600, 'E', 1, "\x01\xff" "garbage"); // garbage
    run.bus.addUnit(9, 9600, 'E', 1, "sc 9" + std::string(120, '0') + "\r\n"); // over-long
    // Listed with what it could tell: a wrong identification echo and silence give empty texts,
    // older firmware refuses "rx".
    run.bus.units[10] = {28800, 'E', 1, {{"sc 10", "sc 10\r\n"}, {"rt", "xx KM40\r\n"}}};
    run.bus.addUnit(11, 38400, 'E', 1);
    run.bus.units[11].replies["rx"] = "er 1\r\n";
    run.runToEnd();

    EXPECT_EQ(run.bus.probes.size(), 160u);
    for (const Probe& p : run.bus.probes) {
        EXPECT_EQ(p.parity, 'E');
        EXPECT_EQ(p.stopbits, 1);
    }
    ASSERT_EQ(run.search.Found().size(), 4u);
    EXPECT_EQ(FoundDeviceCsvLine(FoundDeviceTexts(run.search.Found()[0])), "05,KM40   SW 2.31   SN 5,19200,Even,1\n");
    EXPECT_EQ(FoundDeviceCsvLine(FoundDeviceTexts(run.search.Found()[1])), "10,      ,28800,Even,1\n");
    EXPECT_EQ(FoundDeviceCsvLine(FoundDeviceTexts(run.search.Found()[2])), "11,KM40   SW 2.31   ,38400,Even,1\n");
    EXPECT_EQ(FoundDeviceCsvLine(FoundDeviceTexts(run.search.Found()[3])), "31,KM40   SW 2.31   SN 31,57600,Even,1\n");
    EXPECT_EQ(run.finished, 1);
    EXPECT_TRUE(fake->port.Active());
    // Cancel: port closed, the settings of the start back.
    run.search.RestoreSettings();
    EXPECT_FALSE(fake->port.Active());
    EXPECT_EQ(fake->port.Baudrate(), TBaudrate::br9600);
}

TEST(DeviceSearch, StopDuringAnIdentificationListsThatUnitFirstAndContinueGoesOnAfterIt)
{
    TDeviceSearch::TOptions options;
    options.HighestUnit = 3;
    SearchRun run(options);
    run.bus.addUnit(1, 9600, 'E', 1);
    run.fake.port.SetFrameParitybit(TParityBit::Even);
    std::vector<int> foundUnits;
    run.search.OnFound = [&](const TFoundDevice& device) { foundUnits.push_back(device.Unit); };
    // Stop is pressed while "rt" is outstanding: the handler of that reply sees it requested.
    run.bus.beforeReply = [&](const std::string& text) {
        if (text == "rt")
            run.fake.ui.post([&] { run.search.RequestStop(); });
    };
    run.search.SaveSettings();
    run.search.Start();
    ASSERT_TRUE(run.fake.until([&] { return run.search.State() != TDeviceSearch::TState::Searching; }));
    EXPECT_EQ(run.search.State(), TDeviceSearch::TState::Found);
    EXPECT_EQ(foundUnits, std::vector<int>{1});
    ASSERT_EQ(run.search.Found().size(), 1u);
    EXPECT_EQ(run.search.Found()[0].Identification, "KM40   SW 2.31   SN 1");
    EXPECT_EQ(run.bus.probes.size(), 2u);
    run.search.Continue();
    ASSERT_TRUE(run.fake.until([&] { return run.finished > 0; }));
    EXPECT_EQ(run.bus.probes[2].frame, "sc 2");
}

TEST(DeviceSearch, CancelPutsTheSettingsBackWhenClosingFails)
{
    TDeviceSearch::TOptions options;
    options.AutoParity = true;
    options.AutoStopbits = true;
    options.StartBaudrate = TBaudrate::br19200;
    SearchRun run(options);
    run.fake.port.SetBaudrate(TBaudrate::br9600);
    run.fake.port.SetFrameParitybit(TParityBit::Even);
    run.fake.port.SetFrameStopbits(TStopBit::sb_2);
    run.search.SaveSettings();
    run.search.Start();
    run.search.RequestStop();
    ASSERT_TRUE(run.fake.until([&] { return run.search.State() == TDeviceSearch::TState::Stopped; }));
    ASSERT_EQ(run.fake.port.Baudrate(), TBaudrate::br19200);
    ASSERT_EQ(run.fake.port.FrameParitybit(), TParityBit::None);
    ASSERT_EQ(run.fake.port.FrameStopbits(), TStopBit::sb_1);
    run.fake.line->Fail(zbserial::FakeSerialLine::Op::Close, EIO);
    EXPECT_THROW(run.search.RestoreSettings(), ECommHandleError);
    EXPECT_FALSE(run.fake.port.Active());
    EXPECT_EQ(run.fake.port.Baudrate(), TBaudrate::br9600);
    EXPECT_EQ(run.fake.port.FrameParitybit(), TParityBit::Even);
    EXPECT_EQ(run.fake.port.FrameStopbits(), TStopBit::sb_2);
}

TEST(DeviceSearch, StopTakesEffectAtTheNextReplyAndContinueGoesOnFromThere)
{
    TDeviceSearch::TOptions options;
    options.HighestUnit = 3;
    SearchRun run(options);
    int stopped = 0;
    run.search.OnStopped = [&] { ++stopped; };
    run.search.SaveSettings();
    run.search.Start();
    run.search.RequestStop();
    ASSERT_TRUE(run.fake.until([&] { return stopped > 0; }));
    EXPECT_EQ(run.bus.probes.size(), 1u);
    run.search.Continue();
    ASSERT_TRUE(run.fake.until([&] { return run.finished > 0; }));
    ASSERT_EQ(run.bus.probes.size(), 20u);
    EXPECT_EQ(run.bus.probes[1].frame, "sc 1");
}

TEST(DeviceSearch, AnAdapterThatGoesAwayEndsTheSearchWithOneMessageAndNoFurtherProbes)
{
    TDeviceSearch::TOptions options;
    SearchRun run(options);
    run.search.SaveSettings();
    run.search.Start();
    ASSERT_TRUE(run.fake.until([&] { return run.bus.probes.size() >= 5; }));
    run.fake.line->HangUp(EIO);
    ASSERT_TRUE(run.fake.until([&] { return !run.lost.empty(); }));
    const std::size_t probes = run.bus.probes.size();
    run.fake.ui.runPending(300);
    EXPECT_EQ(run.lost.size(), 1u);
    EXPECT_NE(run.lost[0].find("COM 1"), std::string::npos) << run.lost[0];
    EXPECT_NE(run.lost[0].find(SystemErrorDescription(EIO)), std::string::npos) << run.lost[0];
    EXPECT_EQ(run.bus.probes.size(), probes);
    EXPECT_EQ(run.search.State(), TDeviceSearch::TState::LineLost);
    EXPECT_FALSE(run.fake.port.Active());
}

TEST(DeviceSearch, CsvQuotesOnlyWhatNeedsIt)
{
    TFoundDevice device;
    device.Unit = 5;
    device.Identification = "KM40   V2.31   SN 004700";
    device.Baudrate = TBaudrate::br19200;
    EXPECT_EQ(FoundDevicesCsv({FoundDeviceTexts(device)}),
              "unit,identification,baud,parity,stopbits\n05,KM40   V2.31   SN 004700,19200,Even,1\n");
    device.Identification = "a,\"b\"";
    EXPECT_EQ(FoundDeviceCsvLine(FoundDeviceTexts(device)), "05,\"a,\"\"b\"\"\",19200,Even,1\n");
}

TEST(DeviceSearch, IdentificationTextKeepsWindows1252ButNotControlBytes)
{
    const auto reply = [](const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); };
    EXPECT_EQ(IdentificationReplyText(reply("rx SN 4711 \x80\xE9\r\n")), "SN 4711 \x80\xE9");
    EXPECT_EQ(IdentificationReplyText(reply(std::string("rx 1?x#\0\xFF" "7z\r\n", 13))), "");
    EXPECT_EQ(IdentificationReplyText(reply("rx SN\x7F" "1\r\n")), "");
    EXPECT_EQ(IdentificationReplyText(reply("rx\r\n")), "");
}

// kmt40-cli search: the device search of the search window, without pauses: every unit found is
// printed as a CSV line at once, progress goes to standard error.
#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "cli/JsonRecords.h"

#include "app/core/Global_var.h"
#include "comm/DeviceSearch.h"

namespace cli {

namespace {
// Every probe ends in a reply or a time-out; the line has stalled when nothing moves for this long.
constexpr int SearchStallMs = 30000;

TBaudrate searchBaudrate(int Rate)
{
    switch (Rate) {
    case 19200: return TBaudrate::br19200;
    case 28800: return TBaudrate::br28800;
    case 38400: return TBaudrate::br38400;
    case 57600: return TBaudrate::br57600;
    default: return TBaudrate::br9600;
    }
}
} // namespace

std::optional<CliOutcome> SearchUnits(CliSession& Session, const CliOptions& Options, const std::function<void()>& OnStarted,
                                      const std::function<void(const TFoundDevice&)>& OnFound)
{
    DeviceLink& link = Session.Link();
    TZBComm& port = link.Port();
    ApplyLineSetup(port, Session.Setup());

    TDeviceSearch search(port);
    TDeviceSearch::TOptions options;
    options.StartBaudrate = searchBaudrate(Options.searchFrom.value_or(9600));
    options.AutoParity = Options.autoParity;
    options.AutoStopbits = Options.autoStopbits;
    options.HighestUnit = Options.searchLastUnit.value_or(UnitNoMax);
    search.SetOptions(options);
    search.SaveSettings();

    std::string lineLost;
    bool over = false;
    // What is tried is known once the port is open (a server may keep its own settings): the bar
    // begins with the first probe.
    bool begun = false;
    search.OnProbe = [&] {
        if (!begun)
            Session.Progress().Begin("Searching " + Session.Setup().devicePath, search.ProbesToTry());
        begun = true;
        Session.Progress().Step(search.ProbeCount());
    };
    search.OnFound = [&](const TFoundDevice& device) {
        OnFound(device);
        // No one to choose: the search goes straight on.
        link.Loop().post([&] { search.Continue(); });
    };
    search.OnFinished = [&] { over = true; };
    search.OnStopped = [&] { over = true; };
    search.OnLineLost = [&](const std::string& message) {
        lineLost = message;
        over = true;
    };

    try {
        search.Start();
    } catch (const std::exception& e) {
        Session.Progress().End();
        return CliOutcome::Failure("cannot open " + Session.Setup().devicePath + ": " + e.what());
    }
    Session.NoteLineSettingsOfTheServer();
    OnStarted();
    const bool finished = link.RunUntil([&] { return over; }, [&] { return static_cast<long>(search.ProbeCount()); },
                                        SearchStallMs);
    if (finished && lineLost.empty())
        Session.Progress().Step(search.ProbeCount());
    Session.Progress().End();
    if (!lineLost.empty())
        return CliOutcome::Failure(lineLost);
    if (!finished)
        return CliOutcome::Failure("the line stopped answering during the search on " + Session.Setup().devicePath);
    return std::nullopt;
}

CliOutcome RunSearch(CliSession& Session, const CliOptions& Options)
{
    std::vector<TFoundDevice> found;
    const auto failed = SearchUnits(
        Session, Options,
        [&] {
            if (!Options.json)
                Session.Out() << FoundDevicesCsvHeader() << std::flush;
        },
        [&](const TFoundDevice& device) {
            found.push_back(device);
            if (!Options.json)
                Session.Out() << FoundDeviceCsvLine(FoundDeviceTexts(device)) << std::flush;
        });
    Session.Link().Close();
    // What was found also when the line failed later, as the CSV lines printed so far show it.
    if (Options.json)
        PrintJson(Session.Out(), FoundDevicesJson(found));
    if (failed)
        return *failed;
    if (found.empty())
        return CliOutcome::Failure("no unit answered on " + Session.Setup().devicePath);
    return CliOutcome::Success();
}

} // namespace cli

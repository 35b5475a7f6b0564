// The parts of kmt40-cli that need no line: reading the command line, the progress output and
// the wording of a stopped transfer.
#include "cli/CliOptions.h"
#include "cli/ProgressDisplay.h"
#include "cli/TransferRunner.h"
#include "comm/ZBPlatform.h"

#include <gtest/gtest.h>

#include <sstream>

namespace cli {
namespace {

TEST(CliOptionsTest, OptionsBeforeAndAfterTheCommandInBothForms)
{
    const CliParseResult r = ParseCliOptions(
        {"--port", "/dev/ttyUSB0", "--baud=19200", "read-params", "--parity", "o", "x.APP", "--databits=7",
         "--stopbits", "2", "--unit", "31"});

    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.command, CliCommand::ReadParams);
    EXPECT_EQ(r.options.file, "x.APP");
    EXPECT_EQ(r.options.port, "/dev/ttyUSB0");
    EXPECT_EQ(r.options.baud, 19200);
    EXPECT_EQ(r.options.parity, 'O');
    EXPECT_EQ(r.options.dataBits, 7);
    EXPECT_EQ(r.options.stopBits, 2);
    EXPECT_EQ(r.options.unit, 31);
}

TEST(CliOptionsTest, SearchTakesItsOwnOptionsAndOnlySearchDoes)
{
    const CliParseResult r = ParseCliOptions({"--auto-parity", "search", "--from", "38400", "--last-unit=7"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.command, CliCommand::Search);
    EXPECT_EQ(r.options.searchFrom, 38400);
    EXPECT_EQ(r.options.searchLastUnit, 7);
    EXPECT_TRUE(r.options.autoParity);
    EXPECT_FALSE(r.options.autoStopbits);

    EXPECT_FALSE(ParseCliOptions({"search", "--from", "4800"}).ok()); // not a search rate
    EXPECT_FALSE(ParseCliOptions({"search", "--last-unit", "32"}).ok());
    EXPECT_FALSE(ParseCliOptions({"search", "extra"}).ok());
    EXPECT_FALSE(ParseCliOptions({"identify", "--auto-stopbits"}).ok());
}

TEST(CliOptionsTest, SendTextKeepsNegativeNumbersAndEverythingAfterDoubleDash)
{
    const CliParseResult plain = ParseCliOptions({"send", "wp", "12", "-5"});
    ASSERT_TRUE(plain.ok()) << plain.error;
    EXPECT_EQ(plain.options.text, "wp 12 -5");

    const CliParseResult dashed = ParseCliOptions({"--unit", "2", "send", "--", "--unit", "x"});
    ASSERT_TRUE(dashed.ok()) << dashed.error;
    EXPECT_EQ(dashed.options.text, "--unit x");
    EXPECT_EQ(dashed.options.unit, 2);
}

TEST(CliOptionsTest, LineCommandsTakeUnitListsAndTheSearchOptions)
{
    EXPECT_EQ(ParseUnitList("12,1,3,5-8,3"), (std::vector<int>{1, 3, 5, 6, 7, 8, 12}));
    EXPECT_EQ(ParseUnitList("0-31")->size(), 32u);
    for (const char* wrong : {"", ",", "1,", "3-1", "32", "-1", "1-", "a", "1;2", "1 2"})
        EXPECT_FALSE(ParseUnitList(wrong)) << wrong;

    CliParseResult r = ParseCliOptions({"line-backup", "dir", "--search", "--auto-parity", "--last-unit", "9"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.command, CliCommand::LineBackup);
    EXPECT_EQ(r.options.file, "dir");
    EXPECT_TRUE(r.options.searchUnits && r.options.autoParity);
    r = ParseCliOptions({"line-restore", "dir", "--units", "1,4", "--replace=4"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.units, (std::vector<int>{1, 4}));
    EXPECT_EQ(r.options.replace, std::vector<int>{4});
    // The search options without --search, --replace outside a restore, a second DIR.
    EXPECT_FALSE(ParseCliOptions({"line-backup", "dir", "--auto-parity"}).ok());
    EXPECT_FALSE(ParseCliOptions({"line-verify", "dir", "--replace", "4"}).ok());
    EXPECT_FALSE(ParseCliOptions({"line-verify", "dir", "other"}).ok());
}

TEST(CliOptionsTest, PortNamesAndDevicePaths)
{
    EXPECT_EQ(ComPortIndex("COM1"), 0);
    EXPECT_EQ(ComPortIndex("com16"), 15);
    EXPECT_EQ(ComPortIndex("COM0"), std::nullopt);
    EXPECT_EQ(ComPortIndex("COM17"), std::nullopt);
    EXPECT_EQ(ComPortIndex("/dev/ttyS0"), std::nullopt);
    EXPECT_EQ(ComPortIndex("COMx"), std::nullopt);
    EXPECT_FALSE(ParseCliOptions({"--port", "COM0", "identify"}).ok());
    EXPECT_TRUE(ParseCliOptions({"--port", "COMPORT", "identify"}).ok());  // a file name, not a port name
#ifdef _WIN32
    // Windows gives USB adapters numbers beyond COM16: the device of the port name in use.
    EXPECT_EQ(ParseCliOptions({"--port", "COM23", "identify"}).options.port, "COM23");
#else
    EXPECT_FALSE(ParseCliOptions({"--port", "COM17", "identify"}).ok());
#endif
}

TEST(CliOptionsTest, HelpNeedsNoCommandAndWinsOverMistakesAfterIt)
{
    EXPECT_TRUE(ParseCliOptions({"--help"}).options.help);
    EXPECT_TRUE(ParseCliOptions({"-h", "nonsense"}).options.help);
    EXPECT_FALSE(ParseCliOptions({"--baud", "7", "--help"}).ok());  // a wrong value is still reported
}

TEST(CliOptionsTest, VersionLikeHelpAndJsonOnlyForRecords)
{
    EXPECT_TRUE(ParseCliOptions({"--version"}).options.version);
    EXPECT_TRUE(ParseCliOptions({"--version", "nonsense"}).ok());
    for (const char* command : {"identify", "search"})
        EXPECT_TRUE(ParseCliOptions({command, "--json"}).options.json) << command;
    EXPECT_TRUE(ParseCliOptions({"--json", "diff", "a.app", "b.bak"}).ok());
    EXPECT_TRUE(ParseCliOptions({"verify", "a.app", "--json"}).ok());
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--json", "backup", "a.bak"}, {"send", "--json", "rp", "1"}, {"bp", "--json"}}) {
        const CliParseResult r = ParseCliOptions(args);
        EXPECT_NE(r.error.find("has no JSON output"), std::string::npos) << r.error;
    }
    // After "--" it is text to send, not the option.
    EXPECT_EQ(ParseCliOptions({"send", "--", "--json"}).options.text, "--json");
}

TEST(CliOptionsTest, CreatedFilesMustCarryTheirExtension)
{
    EXPECT_TRUE(ParseCliOptions({"backup", "a.BAK"}).ok());
    EXPECT_FALSE(ParseCliOptions({"backup", ".bak"}).ok());
    EXPECT_FALSE(ParseCliOptions({"read-setpoints", "a.app"}).ok());
    // Files that are only read are checked by their content instead.
    EXPECT_TRUE(ParseCliOptions({"restore", "yesterday.backup"}).ok());
}

TEST(ProgressDisplayTest, PlainLinesEveryTenthWithoutCarriageReturns)
{
    std::ostringstream out;
    ProgressDisplay progress(out, false);
    progress.Begin("Reading parameters", 400);
    for (int done = 1; done <= 400; ++done)
        progress.Step(done);
    progress.End();

    std::string expected = "Reading parameters: 0/400\n";
    for (int tenth = 1; tenth <= 10; ++tenth)
        expected += "Reading parameters: " + std::to_string(tenth * 40) + "/400\n";
    EXPECT_EQ(out.str(), expected);
}

TEST(ProgressDisplayTest, TerminalBarIsRedrawnInPlaceAndEndsTheLine)
{
    std::ostringstream out;
    ProgressDisplay progress(out, true);
    progress.Begin("Writing setpoints", 48);
    progress.Step(24);
    progress.Step(24);  // unchanged: not drawn again
    progress.Step(99);  // beyond the end: shown as complete
    progress.End();

    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 3);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("] 24/48"), std::string::npos);
    EXPECT_NE(text.find("[" + std::string(40, '#') + "] 48/48"), std::string::npos);
}

TEST(TransferFailureTest, MessagesNameTheItemOrTheComputation)
{
    TTransferView view;
    view.Parameters = true;
    view.CurrentNumber = 17;
    view.Outcome = TTransferOutcome::Timeout;
    EXPECT_EQ(DescribeTransferFailure(view, TransferDirection::Read), "no reply (time-out) while reading parameter P017");

    view.Parameters = false;
    view.CurrentNumber = 5;
    view.Outcome = TTransferOutcome::WrongReply;
    view.Reply = "xs 5";
    EXPECT_EQ(DescribeTransferFailure(view, TransferDirection::Write),
              "wrong reply \"xs 5\" twice in a row while writing setpoint S005");

    view.Outcome = TTransferOutcome::CommError;
    view.Error = TCommError{ecSystemError, 5, 0};
    view.Computing = true;
    EXPECT_EQ(DescribeTransferFailure(view, TransferDirection::Write),
              "communication error: " + SystemErrorDescription(5) + " during the parameter computation (bp)");
    view.Error = TCommError{ecCommError, 0, ceFrame};
    EXPECT_EQ(DescribeTransferFailure(view, TransferDirection::Write),
              "communication error: line errors 8 during the parameter computation (bp)");
}

} // namespace
} // namespace cli

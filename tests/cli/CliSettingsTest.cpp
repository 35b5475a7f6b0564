// Where kmt40-cli takes its line and unit from: application.ini beside the program, with the
// command-line options taking precedence.
#include "CliFixture.h"

namespace clitest {
namespace {

class CliSettingsTest : public CliTest {
protected:
    // Units 0 and 3 listening at 19200 baud with 2 stop bits, which a pseudo-terminal shows.
    CliSettingsTest()
    {
        km4x::SimulatorOptions options;
        km4x::UnitConfig unit0, unit3;
        unit0.line = km4x::LineSettings{19200, km4x::Parity::Even, 8, 2};
        unit3 = unit0;
        unit3.number = 3;
        unit3.typeText = "KM40 unit 3";
        options.units = {unit0, unit3};
        UseSimulator(options);
    }

    void WriteSettings(const std::string& serieel)
    {
        WriteWholeFile(program_.File("application.ini"),
                       "[Serieel]\r\n" + serieel + "[Poorten]\r\nCOM3=" + sim().devicePath() + "\r\n");
    }

    const km4x::RequestRecord& FirstRequest()
    {
        log_ = sim().requestLog();
        if (log_.empty())
            log_.push_back(km4x::RequestRecord{});
        return log_.front();
    }

private:
    std::vector<km4x::RequestRecord> log_;
};

TEST_F(CliSettingsTest, TheSettingsFileGivesPortLineAndUnit)
{
    WriteSettings("baudrate=4\r\nstopbit=1\r\nparity=1\r\nportname=2\r\nunit_no=3\r\n");

    const ProcessResult r = RunBare({"identify"});

    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 12), "KM40 unit 3\n");
    EXPECT_EQ(Requests(), (std::vector<std::string>{"sc 3", "rt", "rh", "rx"}));
    EXPECT_EQ(FirstRequest().line.baud, 19200);
    EXPECT_EQ(FirstRequest().line.stopBits, 2);
}

TEST_F(CliSettingsTest, OptionsOverrideTheSettingsFile)
{
    // The file names COM1 and unit 3; the options pick COM3 (mapped by [Poorten]) and unit 0.
    WriteSettings("baudrate=4\r\nstopbit=1\r\nportname=0\r\nunit_no=3\r\n");

    const ProcessResult unit0 = RunBare({"--port", "com3", "--unit", "0", "send", "rt"});
    ASSERT_EQ(unit0.exitCode, 0) << unit0.err;
    EXPECT_EQ(unit0.out, "rt KM40 V2.31\n");
    EXPECT_EQ(Requests(), (std::vector<std::string>{"sc 0", "rt"}));

    // A rate the units do not listen at: the override reaches the line, and nobody answers.
    sim().clearLog();
    const ProcessResult wrongRate = RunBare({"--port", "COM3", "--baud", "38400", "identify"});
    EXPECT_EQ(wrongRate.exitCode, 1);
    EXPECT_NE(Message(wrongRate).find("38400"), std::string::npos) << wrongRate.err;
    EXPECT_EQ(FirstRequest().text, "sc 3");
    EXPECT_EQ(FirstRequest().line.baud, 38400);
}

TEST_F(CliSettingsTest, WithoutSettingsFileThePlacedPortDefaultsApply)
{
    // 9600 baud, odd parity, 8 data bits, 1 stop bit, unit 0: the units hear a wrong rate.
    const ProcessResult r = RunBare({"--port", sim().devicePath(), "identify"});

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(Message(r).find("9600,O,8,1, no application.ini"), std::string::npos) << r.err;
    EXPECT_EQ(FirstRequest().text, "sc 0");
    EXPECT_EQ(FirstRequest().line.baud, 9600);
    EXPECT_EQ(FirstRequest().line.stopBits, 1);
}

} // namespace
} // namespace clitest

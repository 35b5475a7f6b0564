// kmt40-cli diff and verify: files against files, the controller against a file, with the names
// and decimals of the shipped catalogue (English names via application.ini beside the tool).
#include "CliFixture.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

using namespace clitest;

namespace {

void WriteFile(const std::string& Path, const std::string& Bytes)
{
    std::ofstream(Path, std::ios::binary) << Bytes;
}

std::string Number3(int N)
{
    std::string text = std::to_string(N);
    return std::string(3 - text.size(), '0') + text;
}

// A parameter file of Values (index 0..399).
std::string ParameterFile(const std::vector<int32_t>& Values)
{
    std::string file = "ASCII Parameters KM4x-XXX   No: 0\r\n\r\n";
    for (int n = 0; n < 400; ++n) {
        file += 'P';
        file += Number3(n) + " " + std::to_string(Values[static_cast<std::size_t>(n)]) + "\r\n";
    }
    return file;
}

// A backup of Parameters (0..399) and Setpoints (1..48 at index 0..47), byte for byte.
std::string BackupFile(const std::vector<int32_t>& Parameters, const std::vector<int32_t>& Setpoints)
{
    std::string bytes;
    auto put = [&bytes](int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((u >> shift) & 0xFF);
    };
    put(11223344);
    put(11223344);
    for (int i = 0; i < 2001; ++i)
        put(i < 400 ? Parameters[static_cast<std::size_t>(i)] : 0);
    for (int i = 0; i < 2000; ++i)
        put(i < 48 ? Setpoints[static_cast<std::size_t>(i)] : 0);
    put(123456789);
    put(123456789);
    return bytes;
}

class CliCompareTest : public CliTest {
protected:
    CliCompareTest()
    {
        std::filesystem::copy_file(KMT40_DATA_DIR "Parameters.txt", program_.File("Parameters.txt"));
        WriteFile(FilePath("application.ini"), "[Opties]\r\nTaal=1\r\n");
    }
};

} // namespace

TEST_F(CliCompareTest, DiffOfFilesListsExactlyTheDifferences)
{
    std::vector<int32_t> parameters(400, 0);
    parameters[203] = 2; // position decimals
    parameters[1] = 3;
    std::vector<int32_t> setpoints(48, 100);
    WriteFile(FilePath("a.bak"), BackupFile(parameters, setpoints));
    const ProcessResult same = RunBare({"diff", FilePath("a.bak"), FilePath("a.bak")});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "");
    EXPECT_NE(same.err.find("the sets are equal"), std::string::npos);

    // Two backups that differ in P030 and S005, shown with the catalogue's names and decimals.
    std::vector<int32_t> changed = parameters;
    changed[30] = 150;
    std::vector<int32_t> changedSetpoints = setpoints;
    changedSetpoints[4] = -25;
    WriteFile(FilePath("b.bak"), BackupFile(changed, changedSetpoints));
    const ProcessResult differ = RunBare({"diff", FilePath("a.bak"), FilePath("b.bak")});
    EXPECT_EQ(differ.exitCode, 1);
    EXPECT_EQ(differ.out, "P030\tCam 24 fixed start: 0,00 -> 1,50\nS005\t1,00 -> -0,25\n");
    EXPECT_NE(Message(differ).find("2 differences (1 parameter, 1 setpoint)"), std::string::npos);

    // A parameter file against a backup compares the parameters; options show their texts.
    std::vector<int32_t> faster = changed;
    faster[1] = 5;
    WriteFile(FilePath("c.app"), ParameterFile(faster));
    const ProcessResult mixed = RunBare({"diff", FilePath("c.app"), FilePath("b.bak")});
    EXPECT_EQ(mixed.out, "P001\tBaud rate: 5 (38400) -> 3 (9600)\n");

    // What cannot be compared is refused with a clear message.
    std::string setpointFile = "ASCII Sollwerten KM4x-XXX   No: 0\r\n\r\n";
    for (int k = 0; k <= 48; ++k) {
        setpointFile += 'S';
        setpointFile += Number3(k) + " 0\r\n";
    }
    WriteFile(FilePath("a.aps"), setpointFile);
    const ProcessResult kinds = RunBare({"diff", FilePath("c.app"), FilePath("a.aps")});
    EXPECT_EQ(kinds.exitCode, 1);
    EXPECT_NE(Message(kinds).find("a parameter set and a setpoint set cannot be compared"), std::string::npos);
    std::string broken = ParameterFile(faster);
    broken.resize(broken.size() / 2);
    WriteFile(FilePath("broken.app"), broken);
    const ProcessResult damaged = RunBare({"diff", FilePath("broken.app"), FilePath("c.app")});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(Message(damaged).find("broken.app"), std::string::npos);
    EXPECT_EQ(RunBare({"diff", FilePath("c.app")}).exitCode, 2);
    EXPECT_EQ(RunBare({"diff", FilePath("c.app"), FilePath("notes.txt")}).exitCode, 1);
}

TEST_F(CliCompareTest, VerifyReadsTheControllerAndChangesNothing)
{
    // The fast end of reply throughout: what is compared does not depend on how a reply ends.
    ASSERT_EQ(Run({"--fast", "read-setpoints", FilePath("set.aps")}).exitCode, 0);
    sim().setSetpoint(0, 7, 1234);
    sim().clearLog();
    const ProcessResult changed = Run({"--fast", "verify", FilePath("set.aps")});
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_EQ(changed.out, "S007\t0 -> 1234\n"); // a setpoint file does not know the decimals
    for (const std::string& request : Requests())
        EXPECT_TRUE(request.rfind("rs ", 0) == 0 || request.rfind("sc ", 0) == 0) << request;

    ASSERT_EQ(Run({"--fast", "write-setpoints", FilePath("set.aps")}).exitCode, 0);
    const ProcessResult restored = Run({"--fast", "verify", FilePath("set.aps")});
    EXPECT_EQ(restored.exitCode, 0);
    EXPECT_EQ(restored.out, "");

    // A controller that stops answering ends the run and names where.
    sim().setFault(0, km4x::Fault::Silent, true, "rs");
    const ProcessResult silent = Run({"--fast", "verify", FilePath("set.aps")});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_NE(Message(silent).find("S001"), std::string::npos);
}

TEST_F(CliCompareTest, DiffAndVerifyJsonGiveTheSameDifferencesAsTheirLines)
{
    using nlohmann::json;
    std::vector<int32_t> parameters(400, 0);
    parameters[203] = 2;
    parameters[1] = 3;
    std::vector<int32_t> setpoints(48, 100);
    WriteFile(FilePath("a.bak"), BackupFile(parameters, setpoints));
    parameters[30] = 150;
    parameters[1] = 5;
    setpoints[4] = -25;
    WriteFile(FilePath("b.bak"), BackupFile(parameters, setpoints));

    const ProcessResult lines = RunBare({"diff", FilePath("a.bak"), FilePath("b.bak")});
    const ProcessResult r = RunBare({"--json", "diff", FilePath("a.bak"), FilePath("b.bak")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Message(r), Message(lines));
    EXPECT_EQ(lines.out, "P001\tBaud rate: 3 (9600) -> 5 (38400)\nP030\tCam 24 fixed start: 0,00 -> 1,50\nS005\t1,00 -> -0,25\n");
    const json differences = json::array({
        {{"item", "P001"}, {"name", "Baud rate"}, {"before", "3 (9600)"}, {"after", "5 (38400)"}},
        {{"item", "P030"}, {"name", "Cam 24 fixed start"}, {"before", "0,00"}, {"after", "1,50"}},
        {{"item", "S005"}, {"before", "1,00"}, {"after", "-0,25"}},
    });
    EXPECT_EQ(json::parse(r.out), (json{{"first", FilePath("a.bak")}, {"second", FilePath("b.bak")}, {"equal", false},
                                        {"differences", differences}}));
    const ProcessResult same = RunBare({"diff", "--json", FilePath("a.bak"), FilePath("a.bak")});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(json::parse(same.out).at("differences"), json::array());
    EXPECT_EQ(json::parse(same.out).at("equal"), true);

    // verify: the controller against the file, named by unit and file.
    ASSERT_EQ(Run({"--fast", "read-setpoints", FilePath("set.aps")}).exitCode, 0);
    sim().setSetpoint(0, 7, 1234);
    const ProcessResult verify = Run({"--fast", "verify", FilePath("set.aps"), "--json"});
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_EQ(json::parse(verify.out),
              (json{{"unit", 0}, {"file", FilePath("set.aps")}, {"equal", false},
                    {"differences", json::array({{{"item", "S007"}, {"before", "0"}, {"after", "1234"}}})}}));
}

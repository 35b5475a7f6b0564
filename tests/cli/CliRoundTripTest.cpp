// Whole transfers through kmt40-cli against the simulator: the files hold what the controller
// holds, and writing a file leaves exactly its values in the controller.
#include "CliFixture.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace clitest {
namespace {

constexpr int Parameters = 400;
constexpr int Setpoints = 48;

std::string ParameterFileText(const std::array<int32_t, Parameters>& values, int unit)
{
    std::string text = "ASCII Parameters KM4x-XXX   No: " + std::to_string(unit) + "\r\n\r\n";
    char line[32];
    for (int n = 0; n < Parameters; ++n) {
        std::snprintf(line, sizeof line, "P%03d %d\r\n", n, values[static_cast<std::size_t>(n)]);
        text += line;
    }
    return text;
}

// setpoints[k] is setpoint k + 1; line 000 carries 0.
std::string SetpointFileText(const std::array<int32_t, Setpoints>& setpoints, int unit)
{
    std::string text = "ASCII Sollwerten KM4x-XXX   No: " + std::to_string(unit) + "\r\n\r\nS000 0\r\n";
    char line[32];
    for (int n = 1; n <= Setpoints; ++n) {
        std::snprintf(line, sizeof line, "S%03d %d\r\n", n, setpoints[static_cast<std::size_t>(n - 1)]);
        text += line;
    }
    return text;
}

int32_t Int32At(const std::string& bytes, std::size_t offset)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
    return static_cast<int32_t>(v);
}

TEST_F(CliTest, ReadParamsSavesTheControllersValuesExactly)
{
    sim().setParameter(0, 0, -250);
    sim().setParameter(0, 12, 2147483647);
    sim().setParameter(0, 399, -2147483647 - 1);
    std::array<int32_t, Parameters> expected{};
    for (int n = 0; n < Parameters; ++n)
        expected[static_cast<std::size_t>(n)] = *sim().parameter(0, n);

    // The fast end of reply: the same requests and bytes as with 50 ms of silence, which the
    // setpoints' round trip keeps proven.
    const ProcessResult r = Run({"--fast", "read-params", FilePath("unit0.app")});

    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadWholeFile(FilePath("unit0.app")), ParameterFileText(expected, 0));
    EXPECT_EQ(Requests(), Joined({"sc 0"}, Numbered("rp", 0, 399)));
    EXPECT_TRUE(r.out.empty()) << r.out;
    // Standard error is a file here: plain progress lines, no bar.
    EXPECT_NE(r.err.find("Reading parameters: 400/400\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
}

TEST_F(CliTest, WriteParamsLeavesTheFilesValuesInTheControllerAndComputes)
{
    std::array<int32_t, Parameters> values{};
    for (int n = 0; n < Parameters; ++n)
        values[static_cast<std::size_t>(n)] = *sim().parameter(0, n);
    // Parameters the controller's computation does not range-check, negatives and extremes included.
    values[0] = -5;
    values[12] = -250;
    values[17] = 2147483647;
    values[399] = -2147483647 - 1;
    WriteWholeFile(FilePath("new.app"), ParameterFileText(values, 7));

    const ProcessResult r = Run({"--fast", "write-params", FilePath("new.app")});

    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (int n = 0; n < Parameters; ++n)
        EXPECT_EQ(sim().parameter(0, n), values[static_cast<std::size_t>(n)]) << "parameter " << n;
    std::vector<std::string> expected{"sc 0"};
    for (int n = 0; n < Parameters; ++n)
        expected.push_back("wp " + std::to_string(n) + " " + std::to_string(values[static_cast<std::size_t>(n)]));
    expected.push_back("bp");
    EXPECT_EQ(Requests(), expected);
}

TEST_F(CliTest, SetpointsRoundTripOnTheSelectedUnitOfASharedLine)
{
    km4x::SimulatorOptions options;
    km4x::UnitConfig unit0, unit3;
    unit3.number = 3;
    options.units = {unit0, unit3};
    UseSimulator(options);
    std::array<int32_t, Setpoints> held{};
    for (int n = 1; n <= Setpoints; ++n) {
        held[static_cast<std::size_t>(n - 1)] = n % 2 ? -1000 * n : 77 * n;
        sim().setSetpoint(3, n, held[static_cast<std::size_t>(n - 1)]);
    }

    // Both ways on the default end of reply (50 ms of silence); the other transfers here end
    // their replies at CR LF.
    const ProcessResult read = Run({"--unit", "3", "read-setpoints", FilePath("unit3.aps")});

    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(ReadWholeFile(FilePath("unit3.aps")), SetpointFileText(held, 3));
    EXPECT_EQ(Requests(), Joined({"sc 3"}, Numbered("rs", 1, 48)));

    // Back the other way: new values into unit 3 only, no computation after setpoints.
    std::array<int32_t, Setpoints> next{};
    for (int n = 1; n <= Setpoints; ++n)
        next[static_cast<std::size_t>(n - 1)] = -n;
    WriteWholeFile(FilePath("next.aps"), SetpointFileText(next, 3));
    const int32_t unit0Setpoint5 = *sim().setpoint(0, 5);
    sim().clearLog();

    const ProcessResult write = Run({"write-setpoints", FilePath("next.aps"), "--unit=3"});

    ASSERT_EQ(write.exitCode, 0) << write.err;
    for (int n = 1; n <= Setpoints; ++n)
        EXPECT_EQ(sim().setpoint(3, n), -n) << "setpoint " << n;
    EXPECT_EQ(sim().setpoint(0, 5), unit0Setpoint5);
    const std::vector<std::string> log = Requests();
    ASSERT_EQ(log.size(), 49u);
    EXPECT_EQ(log.front(), "sc 3");
    EXPECT_EQ(log.back(), "ws 48 -48");
}

TEST_F(CliTest, BackupThenRestoreBringsBackEveryValue)
{
    sim().setParameter(0, 5, -120);
    sim().setSetpoint(0, 48, -48000);
    std::array<int32_t, Parameters> parameters{};
    std::array<int32_t, Setpoints> setpoints{};
    for (int n = 0; n < Parameters; ++n)
        parameters[static_cast<std::size_t>(n)] = *sim().parameter(0, n);
    for (int n = 1; n <= Setpoints; ++n)
        setpoints[static_cast<std::size_t>(n - 1)] = *sim().setpoint(0, n);

    // With the fast end of reply: the same requests and bytes, in a fraction of the time.
    const ProcessResult backup = Run({"--fast", "backup", FilePath("unit0.bak")});

    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    const std::string bytes = ReadWholeFile(FilePath("unit0.bak"));
    ASSERT_EQ(bytes.size(), 16020u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x30\x41\xAB\x00\x30\x41\xAB\x00", 8));
    EXPECT_EQ(Int32At(bytes, 8 + 4 * 5), -120);
    EXPECT_EQ(Int32At(bytes, 8012 + 4 * 47), -48000);
    EXPECT_EQ(Requests(), Joined(Joined({"sc 0"}, Numbered("rp", 0, 399)), Numbered("rs", 1, 48)));

    // The controller drifts away from the backup ...
    sim().setParameter(0, 5, 1);
    sim().setParameter(0, 300, 4242);
    sim().setSetpoint(0, 48, 2);
    sim().clearLog();

    const ProcessResult restore = Run({"restore", FilePath("unit0.bak"), "--fast"});

    // ... and the restore brings back every value, then lets it compute.
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    for (int n = 0; n < Parameters; ++n)
        EXPECT_EQ(sim().parameter(0, n), parameters[static_cast<std::size_t>(n)]) << "parameter " << n;
    for (int n = 1; n <= Setpoints; ++n)
        EXPECT_EQ(sim().setpoint(0, n), setpoints[static_cast<std::size_t>(n - 1)]) << "setpoint " << n;
    const std::vector<std::string> log = Requests();
    ASSERT_EQ(log.size(), 1u + 400u + 48u + 1u);
    EXPECT_EQ(log[0], "sc 0");
    EXPECT_EQ(log[1 + 5], "wp 5 -120");
    EXPECT_EQ(log[1 + 400 + 47], "ws 48 -48000");
    EXPECT_EQ(log.back(), "bp");
}

} // namespace
} // namespace clitest

// kmt40-cli --json: identify and search against the simulator, read back with a JSON parser. The
// controller's texts are Windows-1252 on the wire and must arrive as UTF-8.
#include "CliFixture.h"

#include <nlohmann/json.hpp>

#include <sstream>

namespace clitest {
namespace {

using nlohmann::json;

// "Straße 5°" and a euro sign as a controller sends them, and as UTF-8.
constexpr char TypeBytes[] = "KM41 Stra\xdf" "e 5\xb0";
constexpr char TypeUtf8[] = "KM41 Stra\u00dfe 5\u00b0";
constexpr char SerialBytes[] = "SN 4711 \x80";
constexpr char SerialUtf8[] = "SN 4711 \u20ac";

TEST_F(CliTest, IdentifyJsonCarriesTheTextsAsUtf8AndNothingWhenItFails)
{
    km4x::SimulatorOptions options;
    km4x::UnitConfig unit;
    unit.number = 12;
    unit.typeText = TypeBytes;
    unit.serialText = SerialBytes;
    options.units = {unit};
    UseSimulator(options);

    const ProcessResult text = Run({"--unit", "12", "identify"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    sim().clearLog();
    const ProcessResult r = Run({"identify", "--unit", "12", "--json"});

    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Requests(), (std::vector<std::string>{"sc 12", "rt", "rh", "rx"}));
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc, (json{{"unit", 12}, {"rt", TypeUtf8}, {"rh", "SW 2.31 2021-03-15"}, {"rx", SerialUtf8}}));
    // Read as text, the document is UTF-8 itself: no byte of the code page is left in it.
    EXPECT_NE(r.out.find(TypeUtf8), std::string::npos) << r.out;
    // The text form keeps the controller's bytes, line for line the same texts.
    EXPECT_EQ(text.out, std::string(TypeBytes) + "\nSW 2.31 2021-03-15\n" + SerialBytes + "\n");

    // A unit that falls silent halfway leaves standard output empty: no half document.
    sim().setFault(12, km4x::Fault::Silent, true, "rx");
    const ProcessResult silent = Run({"--unit", "12", "--json", "identify"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_EQ(silent.out, "");
    EXPECT_NE(Message(silent).find("\"rx\""), std::string::npos) << silent.err;

    // Only the commands with a record take --json; the line is not touched.
    sim().clearLog();
    const ProcessResult usage = Run({"backup", FilePath("x.bak"), "--json"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("backup has no JSON output"), std::string::npos) << usage.err;
    EXPECT_TRUE(Requests().empty());
}

TEST_F(CliTest, SearchJsonListsTheSameUnitsAsTheCsv)
{
    km4x::SimulatorOptions options;
    km4x::UnitConfig one;
    one.number = 1;
    one.line.baud = 9600;
    one.typeText = TypeBytes;
    km4x::UnitConfig two;
    two.number = 2;
    two.line.baud = 19200;
    two.line.stopBits = 2;
    options.units = {one, two};
    UseSimulator(options);
    // Few unit numbers keep the search short: every absent one costs a time-out at each rate.
    const std::vector<std::string> search = {"--port", sim().devicePath(), "--parity", "E", "--stopbits", "1",
                                             "search", "--auto-stopbits", "--last-unit", "2", "--from", "9600"};

    const ProcessResult csv = RunBare(search);
    std::vector<std::string> withJson = search;
    withJson.push_back("--json");
    const ProcessResult r = RunBare(withJson);

    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json units = json::parse(r.out).at("units");
    std::istringstream lines(csv.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "unit,identification,baud,parity,stopbits");
    std::size_t row = 0;
    for (; std::getline(lines, line); ++row) {
        ASSERT_LT(row, units.size()) << line;
        const json& unit = units[row];
        char number[8];
        std::snprintf(number, sizeof number, "%02d", unit.at("unit").get<int>());
        // The CSV keeps the bytes; the JSON has the same text in UTF-8.
        std::string identification = unit.at("identification").get<std::string>();
        const std::size_t utf8 = identification.find(TypeUtf8);
        if (utf8 != std::string::npos)
            identification.replace(utf8, std::string(TypeUtf8).size(), TypeBytes);
        EXPECT_EQ(line, std::string(number) + "," + identification + "," + std::to_string(unit.at("baud").get<int>()) +
                            "," + unit.at("parity").get<std::string>() + "," +
                            std::to_string(unit.at("stopbits").get<int>()));
    }
    EXPECT_EQ(row, 2u);
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0].at("unit"), 1);
    EXPECT_NE(units[0].at("identification").get<std::string>().find(TypeUtf8), std::string::npos);
    EXPECT_EQ(units[1].at("unit"), 2);
    EXPECT_EQ(units[1].at("baud"), 19200);
    EXPECT_EQ(units[1].at("parity"), "Even");
    EXPECT_EQ(units[1].at("stopbits"), 2);
    EXPECT_EQ(units[1].at("identification").get<std::string>().rfind("KM40 V2.31", 0), 0u);
}

} // namespace
} // namespace clitest

// A unit's answers and stored state, without a line in between.
#include "ControllerUnit.h"

#include <gtest/gtest.h>

namespace km4x {
namespace {

std::string Ask(ControllerUnit& unit, const std::string& text)
{
    const auto command = ParseCommand(text);
    return command ? unit.answer(*command, Clock::now()) : "<ignored>";
}

TEST(ControllerUnit, StartsWithFactoryValues)
{
    ControllerUnit unit(UnitConfig{});
    // P000 and P001 say where the unit is: unit 0 at 38400 bit/s (code 5).
    EXPECT_EQ(unit.parameters[0], 0);
    EXPECT_EQ(unit.parameters[1], 5);
    for (int n = 2; n < ParameterCount; ++n)
        ASSERT_EQ(unit.parameters[static_cast<size_t>(n)], FactoryParameter(n)) << n;
    UnitConfig fifth;
    fifth.number = 5;
    fifth.line.baud = 19200;
    ControllerUnit other(fifth);
    EXPECT_EQ(Ask(other, "rp 0"), "rp 0 5");
    EXPECT_EQ(Ask(other, "rp 1"), "rp 1 4");
    for (int n = 1; n <= SetpointCount; ++n)
        ASSERT_EQ(unit.setpoints[static_cast<size_t>(n - 1)], FactorySetpoint(n)) << n;
    EXPECT_EQ(Ask(unit, "bp"), "bp -1"); // the factory set passes the controller's own check
    unit.parameters[5] = 42;
    unit.resetToFactory();
    EXPECT_EQ(unit.parameters[5], FactoryParameter(5));
}

TEST(ControllerUnit, ReadsAndWritesTheEdgesOfBothTables)
{
    ControllerUnit unit(UnitConfig{});
    EXPECT_EQ(Ask(unit, "wp 0 -2147483648"), "wp 0 -2147483648");
    EXPECT_EQ(Ask(unit, "wp 399 2147483647"), "wp 399 2147483647");
    EXPECT_EQ(Ask(unit, "rp 0"), "rp 0 -2147483648");
    EXPECT_EQ(Ask(unit, "rp 399"), "rp 399 2147483647");
    EXPECT_EQ(Ask(unit, "ws 48 -7"), "ws 48 -7");
    EXPECT_EQ(Ask(unit, "rs 48"), "rs 48 -7");
    EXPECT_EQ(Ask(unit, "ws 0 1"), "er 7");
    EXPECT_EQ(Ask(unit, "ws 49 1"), "er 7");
    EXPECT_EQ(Ask(unit, "wp -1 1"), "er 7");
    EXPECT_EQ(Ask(unit, "wp 1"), "er 2");
    EXPECT_EQ(Ask(unit, "wp 1 2 3"), "er 2");
    EXPECT_EQ(Ask(unit, "rp 1 2"), "er 2");
    EXPECT_EQ(Ask(unit, "rt now"), "er 2");
}

TEST(ControllerUnit, ThumbwheelsErrorAndIdentification)
{
    UnitConfig config;
    config.number = 9;
    config.typeText = "KM41";
    ControllerUnit unit(config);
    unit.thumbwheels = {-1, 0, 500, 2147483647};
    EXPECT_EQ(Ask(unit, "rd 1"), "rd 1 -1");
    EXPECT_EQ(Ask(unit, "rd 3"), "rd 3 500");
    EXPECT_EQ(Ask(unit, "rd 4"), "rd 4 2147483647");
    EXPECT_EQ(Ask(unit, "rd 0"), "er 2");
    EXPECT_EQ(Ask(unit, "rd"), "er 2");
    unit.errorNumber = 7;
    EXPECT_EQ(Ask(unit, "rf"), "rf 7");
    EXPECT_EQ(Ask(unit, "wf"), "wf -1");
    EXPECT_EQ(Ask(unit, "rf"), "rf -1");
    EXPECT_EQ(Ask(unit, "rt"), "rt KM41");
    EXPECT_EQ(Ask(unit, "rx"), "rx SN 004709");
    EXPECT_EQ(Ask(unit, "sc 9"), "sc 9");
    EXPECT_EQ(Ask(unit, "sc 32"), "er 2");
    EXPECT_EQ(Ask(unit, ""), "<ignored>");
}

TEST(ControllerUnit, CalibrationNeedsCalibrationModeExceptForReading)
{
    ControllerUnit unit(UnitConfig{});
    const auto factory = unit.calibration.values;
    EXPECT_EQ(Ask(unit, "kr 2041"), "kr 2041 " + std::to_string(factory[0]));
    EXPECT_EQ(Ask(unit, "kr 2044"), "kr 2044 " + std::to_string(factory[3]));
    EXPECT_EQ(Ask(unit, "kr 2045"), "er 2");
    for (const char* changing : {"ka 5", "kw 2042 12", "kf 1", "ks"})
        EXPECT_EQ(Ask(unit, changing), "er 7") << changing;

    EXPECT_EQ(Ask(unit, "km 2"), "er 2");
    EXPECT_EQ(Ask(unit, "km 1"), "km 1");
    EXPECT_TRUE(unit.calibration.mode);
    EXPECT_EQ(Ask(unit, "kf 2"), "kf 2");
    EXPECT_EQ(unit.calibration.daSelect, 2);
    EXPECT_EQ(Ask(unit, "kf 3"), "er 2");
    EXPECT_EQ(Ask(unit, "ka -100000"), "ka -100000");
    EXPECT_EQ(unit.calibration.reference, -100000);
    EXPECT_EQ(Ask(unit, "kw 2042 12"), "kw 2042 12");
    EXPECT_EQ(Ask(unit, "kw 2040 12"), "er 2");
    EXPECT_EQ(Ask(unit, "kr 2042"), "kr 2042 12");
    EXPECT_EQ(unit.calibration.saved, factory); // not yet in EEPROM
    EXPECT_EQ(Ask(unit, "ks"), "ks -1");
    EXPECT_EQ(unit.calibration.saved[1], 12);
    EXPECT_EQ(unit.calibration.saveCount, 1);
    EXPECT_EQ(Ask(unit, "km 0"), "km 0");
    EXPECT_FALSE(unit.calibration.mode);
    EXPECT_EQ(unit.calibration.daSelect, 0);
    EXPECT_EQ(Ask(unit, "kx"), "er 1");
}

TEST(ControllerUnit, ComputeCheckReportsTheFirstParameterOutOfRange)
{
    ParameterTable table{};
    for (int n = 0; n < ParameterCount; ++n)
        table[static_cast<size_t>(n)] = FactoryParameter(n);
    ASSERT_EQ(CheckParameters(table), -1);

    const struct {
        int number;
        int32_t bad;
    } cases[] = {{203, 7}, {203, -1}, {246, 2}, {248, 7}, {249, -1}, {254, 32}, {388, 3}, {389, 32}, {397, -1}};
    for (const auto& c : cases) {
        ParameterTable broken = table;
        broken[static_cast<size_t>(c.number)] = c.bad;
        EXPECT_EQ(CheckParameters(broken), c.number) << c.number << " = " << c.bad;
    }
    ParameterTable two = table;
    two[388] = 9;
    two[246] = 9;
    EXPECT_EQ(CheckParameters(two), 246);

    ControllerUnit unit(UnitConfig{});
    unit.computeFailure = 17;
    EXPECT_EQ(Ask(unit, "bp"), "bp 17");
    EXPECT_EQ(Ask(unit, "bp 1"), "er 2");
    EXPECT_EQ(unit.computeCount, 1);
}

TEST(ControllerUnit, LiveValuesStayInTheirRanges)
{
    for (double t = 0; t < 16; t += 0.37) {
        const LiveValues v = LiveValuesAt(t);
        EXPECT_LE(std::abs(v.position), 100000);
        EXPECT_LE(std::abs(v.voltage), 100000);        // +-10 V
        EXPECT_GE(v.current, 40000);                    // 4 mA
        EXPECT_LE(v.current, 200000);                   // 20 mA
        EXPECT_GE(std::abs(v.linPosition), std::abs(v.position));
    }
    EXPECT_NE(LiveValuesAt(0.0).position, LiveValuesAt(0.1).position);
    EXPECT_GT(LiveValuesAt(0.0).speed, 0); // rising through zero at the start
}

} // namespace
} // namespace km4x

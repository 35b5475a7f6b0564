// Which cells the cam grid colours and what the detail panels show.
#include "views/core/CamLayout.h"

#include <gtest/gtest.h>

using namespace views;

namespace {

struct CamLayoutTest : ::testing::Test {
    void SetUp() override { Global_var.Reset(); }
    void TearDown() override { Global_var.Reset(); }

    // Cam n on output m with function f.
    void Cam(int n, int m, int f)
    {
        p[static_cast<std::size_t>(CamOutputParameter(n))] = m;
        p[static_cast<std::size_t>(CamFunctionParameter(n))] = f;
    }
    CamDetails At(int column, int row) const
    {
        return CamDetailsAt(p, setpoints, thumbwheels, column, row, options);
    }

    TParameterValues p{};
    TSetpointValues setpoints{};
    TThumbwheelValues thumbwheels{};
    OptionLookup options = [](int parameter) {
        return std::vector<std::string>{"opt" + std::to_string(parameter) + "-0", "opt" + std::to_string(parameter) + "-1",
                                        "opt" + std::to_string(parameter) + "-2", "opt" + std::to_string(parameter) + "-3"};
    };
};

} // namespace

TEST_F(CamLayoutTest, FillFollowsFunctionAndOutputRow)
{
    Cam(1, 3, 1);
    Cam(2, 3, 2); // two cams on one output, each in its own colour
    Cam(3, 9, 3);
    Cam(4, 0, 1);  // no output: nothing
    Cam(5, 10, 1); // beyond the outputs: nothing
    Cam(6, 2, 4);  // no such function: no fill
    EXPECT_EQ(CamFillFunction(p, 1, 3), 1);
    EXPECT_EQ(CamFillFunction(p, 2, 3), 2);
    EXPECT_EQ(CamFillFunction(p, 3, 9), 3);
    EXPECT_EQ(CamFillFunction(p, 1, 2), 0);
    for (int row = 0; row <= 10; ++row) {
        EXPECT_EQ(CamFillFunction(p, 4, row), 0);
        EXPECT_EQ(CamFillFunction(p, 5, row), 0);
        EXPECT_EQ(CamFillFunction(p, 6, row), 0);
        EXPECT_FALSE(At(5, row).shown);
    }
    EXPECT_EQ(CamFillFunction(p, 0, 0), 0);
    EXPECT_EQ(CamFillFunction(p, 25, 1), 0);
}

TEST_F(CamLayoutTest, DetailsOfTheOutputCellOnly)
{
    ParameterValues[203] = 2; // FormatFixed reads the position decimals from the program's table
    Cam(7, 4, 1);
    p[static_cast<std::size_t>(CamFixedStartParameter(7))] = 12345;
    p[static_cast<std::size_t>(CamEndSelectParameter(7))] = 17;
    setpoints[17] = -250;
    p[static_cast<std::size_t>(CamHysteresisParameter(7))] = 3;
    p[static_cast<std::size_t>(OutputAdvanceParameter(4))] = 5;
    p[static_cast<std::size_t>(CamSourceParameter(7))] = 2;

    EXPECT_FALSE(At(7, 3).shown);
    const CamDetails d = At(7, 4);
    ASSERT_TRUE(d.shown);
    EXPECT_EQ(d.number, "7");
    EXPECT_EQ(d.function, "opt262-1");
    EXPECT_EQ(d.source, "opt286-2");
    EXPECT_EQ(d.start, "123,45");
    EXPECT_EQ(d.startSelect, "opt310-0");
    EXPECT_EQ(d.end, "-2,50");
    EXPECT_EQ(d.endSelect, "########"); // 17 is beyond the four options
    EXPECT_EQ(d.hysteresis, "0,03");
    EXPECT_EQ(d.advance, "0,005");

    // Another cam on the same output shows the same advance; function 2 has no end.
    Cam(8, 4, 2);
    const CamDetails other = At(8, 4);
    EXPECT_EQ(other.advance, "0,005");
    EXPECT_EQ(other.end, "---");
    EXPECT_EQ(other.endSelect, "---");

    // Without a catalogue the option panels are left as they are.
    options = nullptr;
    EXPECT_FALSE(At(7, 4).function.has_value());
}

TEST_F(CamLayoutTest, PositionSources)
{
    setpoints[1] = 11;
    setpoints[48] = 48;
    thumbwheels = {491, 492, 493, 494};
    EXPECT_EQ(CamPosition(0, 7, setpoints, thumbwheels), 7);
    EXPECT_EQ(CamPosition(1, 7, setpoints, thumbwheels), 11);
    EXPECT_EQ(CamPosition(48, 7, setpoints, thumbwheels), 48);
    EXPECT_EQ(CamPosition(49, 7, setpoints, thumbwheels), 491);
    EXPECT_EQ(CamPosition(50, 7, setpoints, thumbwheels), 492);
    EXPECT_EQ(CamPosition(52, 7, setpoints, thumbwheels), 494);
    EXPECT_FALSE(CamPosition(53, 7, setpoints, thumbwheels));
    EXPECT_FALSE(CamPosition(-1, 7, setpoints, thumbwheels));

    Cam(1, 1, 3);
    p[static_cast<std::size_t>(CamStartSelectParameter(1))] = 99;
    EXPECT_EQ(At(1, 1).start, "########");
}

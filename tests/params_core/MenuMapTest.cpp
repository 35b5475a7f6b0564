#include <gtest/gtest.h>

#include "CatalogueGlobals.h"
#include "TempDir.h"
#include "params/core/ParameterMenuMap.h"

namespace {

constexpr char kMenuMap[] =
    "[300]\r\n"
    "ParId1=203\r\n"
    "ParId2=-1\r\n"
    "ParId4=248\r\n"
    "[302]\r\n"
    "parid1=7\r\n"
    "ParId2=400\r\n"
    "ParId3=-2\r\n"
    "ParId4=abc\r\n"
    "ParId5=2147483648\r\n"
    "ParId6=399\r\n"
    "ParId7=0\r\n";

class MenuMap : public CleanGlobals {
protected:
    void SetUp() override
    {
        CleanGlobals::SetUp();
        ParameterMenuMap.LoadFromText(kMenuMap);
    }
};

TEST(MenuIdTest, IsHundredTimesMenuPlusSubmenu)
{
    EXPECT_EQ(MenuId(3, 2), 302);
    EXPECT_EQ(MenuId(9, 0), 900);
    EXPECT_EQ(MenuId(12, 0), 1200);
    EXPECT_EQ(MenuId(0, 0), 0);
}

TEST_F(MenuMap, RowsGiveParameterNumbersOrMinusOne)
{
    EXPECT_EQ(ParameterMenuMap.ParameterAt(300, 1), 203);
    EXPECT_EQ(ParameterMenuMap.ParameterAt(300, 2), -1); // -1 written
    EXPECT_EQ(ParameterMenuMap.ParameterAt(300, 3), -1); // key missing
    EXPECT_EQ(ParameterMenuMap.ParameterAt(300, 4), 248);
    EXPECT_EQ(ParameterMenuMap.ParameterAt(302, 1), 7);  // key matched without regard to case
    EXPECT_EQ(ParameterMenuMap.ParameterAt(301, 1), -1); // section missing
    EXPECT_EQ(ParameterMenuMap.ParameterAt(302, 6), 399);
    EXPECT_EQ(ParameterMenuMap.ParameterAt(302, 7), 0);
}

TEST_F(MenuMap, EntriesOutsideTheTableAreEmptyRows)
{
    // The editor indexes ParameterValues with the result, so nothing outside 0..399 comes back.
    for (int row = 2; row <= 5; ++row)
        EXPECT_EQ(ParameterMenuMap.ParameterAt(302, row), -1) << "row " << row;
}

TEST_F(MenuMap, CountRowsCountsKeysThatAreNotMinusOne)
{
    EXPECT_EQ(ParameterMenuMap.CountRows(300, 40), 2);
    // 400, -2, abc (read as -1: not counted), 2147483648 (no 32-bit integer: -1), 399, 0, 7
    EXPECT_EQ(ParameterMenuMap.CountRows(302, 40), 5);
    EXPECT_EQ(ParameterMenuMap.CountRows(302, 1), 1);
    EXPECT_TRUE(ParameterMenuMap.HasRow(300, 2));
    EXPECT_FALSE(ParameterMenuMap.HasRow(300, 3));
}

TEST_F(CleanGlobals, ParamNoLezenLoadsOnlyAnExistingFile)
{
    TempDir dir;
    ProgramDir = dir.Path();
    ParamNo_lezen();
    EXPECT_FALSE(MenuMapLoaded);
    EXPECT_EQ(ParameterMenuMap.ParameterAt(100, 1), -1);

    dir.Write("ParNo.txt", "[100]\nParId1=5\n");
    ParamNo_lezen();
    EXPECT_TRUE(MenuMapLoaded);
    EXPECT_EQ(ParameterMenuMap.ParameterAt(100, 1), 5);
}

} // namespace

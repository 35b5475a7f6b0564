#include <gtest/gtest.h>

#include <algorithm>

#include "CatalogueGlobals.h"
#include "TempDir.h"
#include "params/core/ParameterMenuRows.h"
#include "params/core/ValueFiles.h"
#include "params/core/ValueTableFiles.h"

namespace {

class MenuRows : public CleanGlobals {
protected:
    void SetUp() override
    {
        CleanGlobals::SetUp();
        ParameterCatalogue.LoadFromText("[203]\nnaam0=Decimalen\nnaam1=Decimals\nmax=6\ndefault=2\n"
                                        "[249]\nnaam0=Functie ingang 1\ntype=1\nopties0=Geen,Vrijgave\n"
                                        "default=1\n"
                                        "[007]\nnaam0=Aanvang\ndec=9\n");
        ParameterMenuMap.LoadFromText("[302]\nParId1=7\nParId2=-1\nParId3=249\nParId4=8\nParId5=203\n");
        CatalogueLoaded = MenuMapLoaded = true;
    }
};

TEST_F(MenuRows, RowsShowPositionNumberNameValueAndOption)
{
    ParameterValues[203] = 2;
    ParameterValues[7] = 12345;
    ParameterValues[249] = 1;
    ParameterValues[8] = -4;

    const TParameterMenuRow first = ParameterMenuRow(3, 2, 1);
    EXPECT_EQ(first.Parameter, 7);
    EXPECT_EQ(first.Cells, (std::array<std::string, 5>{"3.2.1", "007", "Aanvang", "123,45", ""}));
    EXPECT_EQ(ParameterMenuRow(3, 2, 2).Parameter, -1);
    EXPECT_EQ(ParameterMenuRow(3, 2, 2).Cells, (std::array<std::string, 5>{}));
    EXPECT_EQ(ParameterMenuRow(3, 2, 3).Cells[4], "Vrijgave");
    ParameterValues[249] = 2;
    EXPECT_EQ(ParameterMenuRow(3, 2, 3).Cells[4], "########");
    // Listed but undefined: number and plain value, no name, no option text.
    EXPECT_EQ(ParameterMenuRow(3, 2, 4).Cells, (std::array<std::string, 5>{"3.2.4", "008", "", "-4", ""}));
    LanguageIndex = 1;
    EXPECT_EQ(ParameterMenuRow(3, 2, 5).Cells[2], "Decimals");
}

TEST_F(MenuRows, ListStaysEmptyWithoutEitherFile)
{
    MenuMapLoaded = false;
    EXPECT_EQ(ParameterMenuRow(3, 2, 1).Parameter, -1);
    EXPECT_EQ(ClearMenuParameters(302), 0);
    MenuMapLoaded = true;
    CatalogueLoaded = false;
    EXPECT_EQ(ParameterMenuRow(3, 2, 1).Parameter, -1);
}

TEST_F(MenuRows, ClearZeroesExactlyTheListedParameters)
{
    ParameterValues.fill(5);
    EXPECT_EQ(ClearMenuParameters(302), 4);
    for (int n = 0; n < ParameterCount; ++n) {
        const bool listed = n == 7 || n == 249 || n == 8 || n == 203;
        EXPECT_EQ(ParameterValues[static_cast<std::size_t>(n)], listed ? 0 : 5) << n;
    }
}

TEST_F(MenuRows, CatalogueDefaultsCoverEveryParameter)
{
    const TParameterValues defaults = CatalogueDefaultValues();
    EXPECT_EQ(defaults[203], 2);
    EXPECT_EQ(defaults[249], 1);
    EXPECT_EQ(std::count(defaults.begin(), defaults.end(), 0), 398);
}

TEST_F(CleanGlobals, TableFilesSetTheSourceOnlyOnSuccess)
{
    TempDir dir;
    UnitNo = 12;
    ParameterValues[5] = -77;
    SetpointValues[48] = 480;
    SetpointValues[0] = 999; // unused element: never written to a file
    ASSERT_TRUE(SaveParameterFileFromTables(dir.File("a.app")).Ok());
    ASSERT_TRUE(SaveSetpointFileFromTables(dir.File("a.aps")).Ok());
    EXPECT_EQ(dir.Read("a.app").rfind("ASCII Parameters KM4x-XXX   No: 12\r\n", 0), 0u);
    EXPECT_NE(dir.Read("a.aps").find("S000 0\r\nS001 0\r\n"), std::string::npos);
    EXPECT_NE(dir.Read("a.aps").find("S048 480\r\n"), std::string::npos);

    Global_var.Reset();
    dir.Write("bad.app", "ASCII Parameters KM4x-XXX\r\nP000 1\r\n");
    EXPECT_EQ(OpenParameterFile(dir.File("bad.app")).Error, TFileError::WrongCount);
    EXPECT_EQ(ParameterSource, TParameterSource::None);
    EXPECT_EQ(OpenSetpointFile(dir.File("a.app")).Error, TFileError::WrongHeader);
    EXPECT_EQ(SetpointSource, TSetpointSource::None);

    ASSERT_TRUE(OpenParameterFile(dir.File("a.app")).Ok());
    EXPECT_EQ(ParameterSource, TParameterSource::File);
    EXPECT_EQ(ParameterValues[5], -77);
    ASSERT_TRUE(OpenSetpointFile(dir.File("a.aps")).Ok());
    EXPECT_EQ(SetpointSource, TSetpointSource::File);
    EXPECT_EQ(SetpointValues[48], 480);
    EXPECT_EQ(SetpointValues[0], 0);
}

} // namespace

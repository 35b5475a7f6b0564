#include <gtest/gtest.h>

#include <vector>

#include "CatalogueGlobals.h"
#include "TempDir.h"
#include "app/core/Functies.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterDisplay.h"

namespace {

using Strings = std::vector<std::string>;

constexpr char kCatalogue[] =
    "; test catalogue\r\n"
    "[007]\r\n"
    "naam0=Nok 1 vaste aanvang\r\n"
    "naam1=Cam 1 fixed start\r\n"
    "dec=9\r\n"
    "min=-5000\r\n"
    "max=$7FFF\r\n"
    "default=0x10\r\n"
    "[045]\r\n"
    "naam0=Bron\r\n"
    "type=1\r\n"
    "opties0=\"Vaste waarde\",Sollwert,Duimwiel\r\n"
    "opties1=Fixed value,Setpoint\r\n"
    "[046]\r\n"
    "type=1\r\n"
    "opties0=#045\r\n"
    "opties1=#045\r\n"
    "opties2=#999\r\n"
    "[047]\r\n"
    "type=1\r\n"
    "opties0=#046\r\n"
    "[048]\r\n"
    "NAAM0=eerste\r\n"
    "naam0=tweede\r\n"
    "dec=10\r\n"
    "min=12abc\r\n"
    "max=99999999999\r\n"
    "[049]\r\n"
    "dec=2\r\n"
    "min=-1000\r\n"
    "max=5000\r\n"
    "default=-5\r\n";

class Catalogue : public CleanGlobals {
protected:
    void SetUp() override
    {
        CleanGlobals::SetUp();
        ParameterCatalogue.LoadFromText(kCatalogue);
        CatalogueLoaded = true;
    }
};

TEST_F(Catalogue, SectionsAreNamedByThreeDigitNumbers)
{
    EXPECT_EQ(TParameterCatalogue::SectionName(7), "007");
    EXPECT_EQ(TParameterCatalogue::SectionName(399), "399");
    EXPECT_TRUE(ParameterCatalogue.HasParameter(7));
    EXPECT_FALSE(ParameterCatalogue.HasParameter(8));
    EXPECT_FALSE(ParameterCatalogue.HasParameter(-7));
    EXPECT_FALSE(ParameterCatalogue.HasParameter(1007));
}

TEST_F(Catalogue, KeysAreReadWithTheirDefaults)
{
    EXPECT_EQ(ParameterCatalogue.Name(7, 0), "Nok 1 vaste aanvang");
    EXPECT_EQ(ParameterCatalogue.Name(7, 1), "Cam 1 fixed start");
    EXPECT_EQ(ParameterCatalogue.Name(7, 2), "");
    EXPECT_EQ(ParameterCatalogue.Type(7), 0);
    EXPECT_EQ(ParameterCatalogue.Dec(7), 9);
    EXPECT_EQ(ParameterCatalogue.Min(7), -5000);
    EXPECT_EQ(ParameterCatalogue.Max(7), 0x7FFF);   // "$" hexadecimal
    EXPECT_EQ(ParameterCatalogue.Default(7), 16);   // "0x" hexadecimal
    // Undefined parameter: every key gives its default.
    EXPECT_EQ(ParameterCatalogue.Name(8, 0), "");
    EXPECT_EQ(ParameterCatalogue.Type(8), 0);
    EXPECT_EQ(ParameterCatalogue.Max(8), 0);
    EXPECT_TRUE(ParameterCatalogue.ResolveOptionList(8, 0).empty());
}

TEST_F(Catalogue, FirstOfEqualKeysCountsAndBadIntegersCountAsMissing)
{
    EXPECT_EQ(ParameterCatalogue.Name(48, 0), "eerste");
    EXPECT_EQ(ParameterCatalogue.Min(48), 0);  // "12abc"
    EXPECT_EQ(ParameterCatalogue.Max(48), 0);  // beyond 32 bits
}

TEST_F(Catalogue, OptionListsSplitAsCommaText)
{
    EXPECT_EQ(ParameterCatalogue.ResolveOptionList(45, 0), (Strings{"Vaste waarde", "Sollwert", "Duimwiel"}));
    // Two words without quotes become two entries.
    EXPECT_EQ(ParameterCatalogue.ResolveOptionList(45, 1), (Strings{"Fixed", "value", "Setpoint"}));
    EXPECT_TRUE(ParameterCatalogue.ResolveOptionList(45, 2).empty());
}

TEST_F(Catalogue, HashReferenceIsFollowedOnceOnly)
{
    EXPECT_EQ(ParameterCatalogue.ResolveOptionList(46, 0), ParameterCatalogue.ResolveOptionList(45, 0));
    EXPECT_EQ(ParameterCatalogue.ResolveOptionList(46, 1), ParameterCatalogue.ResolveOptionList(45, 1));
    EXPECT_TRUE(ParameterCatalogue.ResolveOptionList(46, 2).empty()); // section 999 is missing
    // 47 -> 46, whose own list is again a reference: not followed further.
    EXPECT_EQ(ParameterCatalogue.ResolveOptionList(47, 0), (Strings{"#045"}));
}

TEST_F(Catalogue, GlobalLookupsUseTheCurrentLanguage)
{
    LanguageIndex = 1;
    EXPECT_EQ(ResolveOptionList(46), (Strings{"Fixed", "value", "Setpoint"}));
    LanguageIndex = 0;
    EXPECT_EQ(ResolveOptionList(46).size(), 3u);
}

TEST_F(Catalogue, ResolveDecimalsFollowsParameters203And248)
{
    ParameterValues[203] = 3;
    ParameterValues[248] = 1;
    EXPECT_EQ(ResolveDecimals(7), 3);   // dec 9
    EXPECT_EQ(ResolveDecimals(48), 1);  // dec 10
    EXPECT_EQ(ResolveDecimals(49), 2);
    EXPECT_EQ(ResolveDecimals(8), 0);   // undefined
    // 203 holding 10 leads on to 248, as FormatFixed does.
    ParameterValues[203] = 10;
    EXPECT_EQ(ResolveDecimals(7), 1);
    EXPECT_EQ(ResolveDecimalsSelector(9, ParameterValues), 1);
}

TEST_F(Catalogue, ValueTextFollowsTheDecimalsOfParameter203)
{
    ParameterValues[7] = 12345;
    ParameterValues[203] = 2;
    EXPECT_EQ(ParameterValueText(7), "123,45");
    ParameterValues[203] = 0;
    EXPECT_EQ(ParameterValueText(7), "12345");
    ParameterValues[49] = -5;
    EXPECT_EQ(ParameterValueText(49), "-0,05");
    ParameterValues[8] = -17;
    EXPECT_EQ(ParameterValueText(8), "-17"); // undefined: plain integer
    EXPECT_EQ(ParameterValueText(-1), "");
    EXPECT_EQ(ParameterValueText(400), "");
}

TEST_F(Catalogue, OptionTextShowsHashesOutsideTheList)
{
    ParameterValues[45] = 2;
    EXPECT_EQ(ParameterOptionText(45), "Duimwiel");
    ParameterValues[45] = 3;
    EXPECT_EQ(ParameterOptionText(45), NoOptionText);
    ParameterValues[45] = -1;
    EXPECT_EQ(ParameterOptionText(45), "########");
    ParameterValues[46] = 0;
    EXPECT_EQ(ParameterOptionText(46), "Vaste waarde"); // through the reference
    EXPECT_EQ(ParameterOptionText(7), "");              // numeric parameter
    EXPECT_EQ(ParameterOptionText(8), "");              // undefined parameter
    EXPECT_EQ(OptionText({}, 0), "########");
    EXPECT_EQ(OptionText({"a", "b", "c"}, 5), "########");
}

TEST_F(Catalogue, SelectedParameterCarriesFormattedLimits)
{
    ParameterValues[49] = 1234;
    const TSelectedParameter p = SelectedParameterOf(49);
    EXPECT_EQ(p.Number, "049");
    EXPECT_EQ(p.Name, "");
    EXPECT_EQ(p.ValueText, "12,34");
    EXPECT_EQ(p.Min, -1000);
    EXPECT_EQ(p.MinText, "-10,00");
    EXPECT_EQ(p.Max, 5000);
    EXPECT_EQ(p.MaxText, "50,00");
    EXPECT_EQ(p.DefaultText, "-0,05");

    LanguageIndex = 1;
    EXPECT_EQ(SelectedParameterOf(7).Name, "Cam 1 fixed start");
}

TEST_F(CleanGlobals, WithoutCatalogueEveryParameterIsUndefined)
{
    TempDir dir;
    ProgramDir = dir.Path();
    ParameterDef_lezen();
    EXPECT_FALSE(CatalogueLoaded);
    ParameterValues[203] = 2;
    ParameterValues[7] = 12345;
    EXPECT_EQ(ParameterValueText(7), "12345");
    EXPECT_EQ(ParameterOptionText(7), "");
    EXPECT_EQ(SelectedParameterOf(7).MaxText, "0");
}

TEST_F(CleanGlobals, ParameterDefLezenLoadsFromTheProgramDirectory)
{
    TempDir dir;
    dir.Write("Parameters.txt", "[203]\nnaam0=Decimalen\n");
    ProgramDir = dir.Path();
    ParameterDef_lezen();
    EXPECT_TRUE(CatalogueLoaded);
    EXPECT_EQ(ParameterCatalogue.Name(203, 0), "Decimalen");
}

TEST_F(CleanGlobals, MalformedCatalogueNeverFails)
{
    // Garbage, a lone "[" line, a section that never closes, huge numbers and binary bytes.
    std::string text = "[\n[007\nnaam0=x\n[008]\ntype=1\nopties0=\"unterminated,\x01\x02\n";
    text += std::string("dec=") + std::string(5000, '9') + "\n";
    text += std::string(1, '\0') + "\xff\xfe[009]\n";
    ParameterCatalogue.LoadFromText(text);
    EXPECT_FALSE(ParameterCatalogue.HasParameter(7));
    EXPECT_EQ(ParameterCatalogue.ResolveOptionList(8, 0), (Strings{"unterminated,\x01\x02"}));
    EXPECT_EQ(ParameterCatalogue.Dec(8), 0);
    ParameterValues[8] = 0;
    EXPECT_EQ(ParameterOptionText(8), "unterminated,\x01\x02");
}

} // namespace

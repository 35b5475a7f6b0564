// The catalogue, menu map and menu trees the program ships, checked as the program reads them.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <set>
#include <string>

#include "CatalogueGlobals.h"
#include "app/core/Functies.h"
#include "params/core/MenuTree.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterDisplay.h"
#include "params/core/ParameterMenuMap.h"

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ShippedData : public CleanGlobals {
protected:
    void SetUp() override
    {
        CleanGlobals::SetUp();
        ProgramDir = KMT40_DATA_DIR;
        ParameterDef_lezen();
        ParamNo_lezen();
        ASSERT_TRUE(CatalogueLoaded);
        ASSERT_TRUE(MenuMapLoaded);
    }
};

TEST_F(ShippedData, FilesAreSingleByteWindowsText)
{
    for (const char* name : {"Parameters.txt", "ParNo.txt", "Tree0.txt", "Tree1.txt", "Tree2.txt"}) {
        const std::string bytes = ReadBytes(std::string(KMT40_DATA_DIR) + name);
        ASSERT_FALSE(bytes.empty()) << name;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            // Not UTF-8 (its lead bytes C2/C3 would precede every accented letter) and no
            // code point undefined in Windows-1252.
            ASSERT_FALSE(c == 0xC2 || c == 0xC3 || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 ||
                         c == 0x9D || c == 0)
                << name << " byte " << i;
            if (c == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << " line end at " << i;
            }
        }
    }
}

TEST_F(ShippedData, EveryParameterIsDefinedInThreeLanguages)
{
    for (int n = 0; n < ParameterCount; ++n) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(ParameterCatalogue.HasParameter(n));
        for (int lang = 0; lang < 3; ++lang)
            EXPECT_FALSE(ParameterCatalogue.Name(n, lang).empty());
        EXPECT_LE(ParameterCatalogue.Min(n), ParameterCatalogue.Default(n));
        EXPECT_LE(ParameterCatalogue.Default(n), ParameterCatalogue.Max(n));
        const int32_t type = ParameterCatalogue.Type(n);
        ASSERT_TRUE(type == ParameterTypeNumeric || type == ParameterTypeOptions);
        const int32_t dec = ParameterCatalogue.Dec(n);
        EXPECT_TRUE((dec >= 0 && dec <= 4) || dec == DecimalsOfPosition || dec == DecimalsOfLinPosition);
        if (type == ParameterTypeOptions) {
            // Every value the limits allow has a text, in every language, and the lists agree.
            const std::size_t count = ParameterCatalogue.ResolveOptionList(n, 0).size();
            EXPECT_EQ(ParameterCatalogue.Min(n), 0);
            EXPECT_EQ(ParameterCatalogue.Max(n), static_cast<int32_t>(count) - 1);
            EXPECT_EQ(dec, 0);
            for (int lang = 0; lang < 3; ++lang) {
                const auto options = ParameterCatalogue.ResolveOptionList(n, lang);
                EXPECT_EQ(options.size(), count) << "language " << lang;
                for (const std::string& o : options)
                    EXPECT_FALSE(o.empty() || o[0] == '#') << "language " << lang;
            }
        }
    }
}

TEST_F(ShippedData, ParametersWithAFixedMeaningHaveFittingDefinitions)
{
    auto options = [](int n) { return ParameterCatalogue.ResolveOptionList(n, 0).size(); };
    // The decimals parameters stay below the selectors 9 and 10, so they never chain.
    EXPECT_EQ(ParameterCatalogue.Max(203), 6);
    EXPECT_EQ(ParameterCatalogue.Max(248), 6);
    EXPECT_EQ(ParameterCatalogue.Max(247), 30); // the parameter layout holds 30 points
    EXPECT_EQ(options(388), 3u);                 // none, voltage, current
    EXPECT_EQ(options(241), 3u);                 // mode 0, 1, 2
    EXPECT_EQ(options(246), 2u);                 // 1 = linearised position on
    EXPECT_EQ(options(200), 3u);                 // 1 and 2: hold/reset
    EXPECT_EQ(options(218), 5u);                 // 1, 2, 4: SSI adjustment by K0
    EXPECT_EQ(ParameterCatalogue.Type(201), ParameterTypeOptions);
    EXPECT_EQ(ParameterCatalogue.Type(212), ParameterTypeOptions);
    for (int n = 140; n < 170; ++n)
        EXPECT_EQ(ParameterCatalogue.Dec(n), DecimalsOfPosition) << n;
    for (int n = 170; n < 200; ++n)
        EXPECT_EQ(ParameterCatalogue.Dec(n), DecimalsOfLinPosition) << n;
    for (int n = 94; n <= 102; ++n)
        EXPECT_EQ(ParameterCatalogue.Dec(n), 3) << n;
    for (int c = 1; c <= 24; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(options(255 + c), 4u);   // not used, functions 1..3
        EXPECT_EQ(options(303 + c), 53u);  // fixed, setpoints 1..48, thumbwheels 1..4
        EXPECT_EQ(options(327 + c), 53u);
        EXPECT_EQ(ParameterCatalogue.Max(351 + c), 9);
        for (int n : {6 + c, 30 + c, 54 + c})
            EXPECT_EQ(ParameterCatalogue.Dec(n), DecimalsOfPosition);
    }
    const auto select = ParameterCatalogue.ResolveOptionList(304, 1);
    EXPECT_EQ(select[0], "Fixed");
    EXPECT_EQ(select[17], "Setpoint 17");
    EXPECT_EQ(select[50], "Thumbwheel 2");
    for (int n = 249; n <= 254; ++n)
        EXPECT_GT(options(n), 1u);
    for (int n = 389; n <= 397; ++n)
        EXPECT_GT(options(n), 1u);
}

TEST_F(ShippedData, FactoryDefaultsShowWithoutHashes)
{
    for (int n = 0; n < ParameterCount; ++n)
        ParameterValues[static_cast<std::size_t>(n)] = ParameterCatalogue.Default(n);
    for (int n = 0; n < ParameterCount; ++n)
        EXPECT_NE(ParameterOptionText(n), NoOptionText) << n;
    EXPECT_EQ(ParameterValueText(208), "360,0"); // cycle length with the default position decimals
}

TEST_F(ShippedData, TreesAndMenuMapDescribeTheSameMenus)
{
    std::set<int> listed;
    for (int lang = 0; lang < 3; ++lang) {
        SCOPED_TRACE(lang);
        const TMenuTree tree = LoadMenuTree(std::string(KMT40_DATA_DIR) + TreeFileName(lang));
        ASSERT_TRUE(tree.Ok()) << tree.ErrorMessage;
        ASSERT_FALSE(tree.Nodes.empty());
        EXPECT_EQ(tree.Nodes[0].Level, 0);
        std::set<int> menuIds;
        for (const TMenuTreeNode& node : tree.Nodes) {
            EXPECT_LE(node.Level, 2) << node.Caption;
            EXPECT_FALSE(node.Caption.empty());
            if (node.Level == 0) {
                EXPECT_EQ(&node, &tree.Nodes[0]) << "one root";
                continue;
            }
            menuIds.insert(node.MenuId());
            // Every menu has rows, numbered from 1 without gaps, at most 18, each an existing parameter.
            const int rows = ParameterMenuMap.CountRows(node.MenuId(), 40);
            EXPECT_GT(rows, 0) << node.Caption;
            EXPECT_LE(rows, MenuRowCount) << node.Caption;
            for (int row = 1; row <= rows; ++row) {
                const int n = ParameterMenuMap.ParameterAt(node.MenuId(), row);
                ASSERT_GE(n, 0) << node.Caption << " row " << row;
                EXPECT_TRUE(ParameterCatalogue.HasParameter(n));
                if (lang == 0) {
                    EXPECT_TRUE(listed.insert(n).second) << "parameter " << n << " listed twice";
                }
            }
            EXPECT_FALSE(ParameterMenuMap.HasRow(node.MenuId(), rows + 1));
        }
        // Menu 9 is the cams menu that the editor's clear button serves: its own list and one
        // submenu per cam, each holding that cam's eight parameters.
        ASSERT_TRUE(menuIds.count(900));
        for (int c = 1; c <= 24; ++c) {
            ASSERT_TRUE(menuIds.count(900 + c)) << c;
            std::set<int> rows;
            for (int row = 1; row <= MenuRowCount; ++row)
                rows.insert(ParameterMenuMap.ParameterAt(900 + c, row));
            for (int n : {255 + c, 279 + c, 303 + c, 327 + c, 351 + c, 6 + c, 30 + c, 54 + c})
                EXPECT_TRUE(rows.count(n)) << "cam " << c << " parameter " << n;
        }
    }
    EXPECT_EQ(listed.size(), 400u) << "every parameter is reachable from a menu";
}

TEST_F(ShippedData, TreesOfTheThreeLanguagesHaveTheSameShape)
{
    const TMenuTree dutch = LoadMenuTree(std::string(KMT40_DATA_DIR) + "Tree0.txt");
    for (int lang = 1; lang < 3; ++lang) {
        const TMenuTree other = LoadMenuTree(std::string(KMT40_DATA_DIR) + TreeFileName(lang));
        ASSERT_EQ(other.Nodes.size(), dutch.Nodes.size());
        for (std::size_t i = 0; i < dutch.Nodes.size(); ++i)
            EXPECT_EQ(other.Nodes[i].MenuId(), dutch.Nodes[i].MenuId()) << i;
    }
}

} // namespace

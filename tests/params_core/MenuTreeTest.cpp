#include <gtest/gtest.h>

#include "TempDir.h"
#include "params/core/MenuTree.h"

namespace {

struct Expected {
    const char* caption;
    int level;
    int menuId;
};

void ExpectNodes(const TMenuTree& tree, std::initializer_list<Expected> expected)
{
    ASSERT_EQ(tree.Nodes.size(), expected.size());
    std::size_t i = 0;
    for (const Expected& e : expected) {
        const TMenuTreeNode& node = tree.Nodes[i++];
        EXPECT_EQ(node.Caption, e.caption);
        EXPECT_EQ(node.Level, e.level) << e.caption;
        EXPECT_EQ(node.MenuId(), e.menuId) << e.caption;
    }
}

TEST(MenuTree, MenusAndSubmenusAreNumberedByPosition)
{
    const TMenuTree tree = ParseMenuTree("KM40\r\n"
                                         "\tAlgemeen\r\n"
                                         "\tPositie\r\n"
                                         "\t\tSSI\r\n"
                                         "\t\tReferentie\r\n"
                                         "\tSnelheid\r\n"
                                         "\t\tFilter\r\n");
    EXPECT_TRUE(tree.Ok());
    ExpectNodes(tree, {{"KM40", 0, 0},
                       {"Algemeen", 1, 100},
                       {"Positie", 1, 200},
                       {"SSI", 2, 201},
                       {"Referentie", 2, 202},
                       {"Snelheid", 1, 300},
                       {"Filter", 2, 301}});
    EXPECT_EQ(tree.Nodes[4].Parent, 2);
    EXPECT_EQ(tree.Nodes[5].Parent, 0);
}

TEST(MenuTree, BlanksCountAsLevelsAndBlankLinesAreSkipped)
{
    const TMenuTree tree = ParseMenuTree("Root\n\n Menu one\n  Sub a\n   \n\tMenu two\n");
    ExpectNodes(tree, {{"Root", 0, 0}, {"Menu one", 1, 100}, {"Sub a", 2, 101}, {"Menu two", 1, 200}});
}

TEST(MenuTree, ShallowerLineClosesSeveralBranches)
{
    const TMenuTree tree = ParseMenuTree("R\n\tA\n\t\tA1\n\t\t\tdeep\n\tB\n");
    EXPECT_TRUE(tree.Ok());
    // A node below a submenu selects that submenu.
    ExpectNodes(tree, {{"R", 0, 0}, {"A", 1, 100}, {"A1", 2, 101}, {"deep", 3, 101}, {"B", 1, 200}});
}

TEST(MenuTree, LineTooDeepStopsWithTheNodesReadSoFar)
{
    const TMenuTree tree = ParseMenuTree("R\n\tA\n\t\t\tB\n\tC\n");
    EXPECT_FALSE(tree.Ok());
    EXPECT_EQ(tree.ErrorKind, "ETreeFormatError");
    EXPECT_NE(tree.ErrorMessage.find("'B'"), std::string::npos) << tree.ErrorMessage;
    ExpectNodes(tree, {{"R", 0, 0}, {"A", 1, 100}});
}

TEST(MenuTree, SecondRootAndIndentedFirstLineStayRoots)
{
    const TMenuTree tree = ParseMenuTree("\t\tFirst\n\tChild\nSecond\n\tOther child\n");
    EXPECT_TRUE(tree.Ok());
    ExpectNodes(tree, {{"First", 0, 0}, {"Child", 1, 100}, {"Second", 0, 0}, {"Other child", 1, 100}});
}

TEST(MenuTree, EmptyOrBinaryTextNeverFails)
{
    EXPECT_TRUE(ParseMenuTree("").Nodes.empty());
    const TMenuTree tree = ParseMenuTree(std::string("\0\xff\r\r\n\t", 6));
    ASSERT_EQ(tree.Nodes.size(), 1u);
    EXPECT_EQ(tree.Nodes[0].Caption, std::string("\0\xff", 2));
}

TEST(MenuTree, FileNamePerLanguage)
{
    EXPECT_EQ(TreeFileName(0), "Tree0.txt");
    EXPECT_EQ(TreeFileName(1), "Tree1.txt");
    EXPECT_EQ(TreeFileName(2), "Tree2.txt");
    EXPECT_EQ(TreeFileName(7), "Tree0.txt");
    EXPECT_EQ(TreeFileName(-1), "Tree0.txt");
}

TEST(MenuTree, LoadReadsTheFileOrReportsItMissing)
{
    TempDir dir;
    dir.Write("Tree1.txt", "Root\r\n\tMenu\r\n");
    const TMenuTree tree = LoadMenuTree(dir.File("Tree1.txt"));
    EXPECT_TRUE(tree.Ok());
    EXPECT_EQ(tree.Nodes.size(), 2u);

    const TMenuTree missing = LoadMenuTree(dir.File("Tree2.txt"));
    EXPECT_FALSE(missing.Ok());
    EXPECT_TRUE(missing.Nodes.empty());
}

} // namespace

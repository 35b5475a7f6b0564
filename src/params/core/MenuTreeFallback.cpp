#include "params/core/MenuTreeFallback.h"

namespace {

// MenuIds are 100 x menu + submenu, so menus and submenus run to 99.
constexpr int LastMenuNumber = 99;

bool MenuExists(const TParameterMenuMap& Map, int Menu, int Submenu)
{
    return Map.Text().SectionExists(std::to_string(MenuId(Menu, Submenu)));
}

} // namespace

TMenuTree MenuTreeFromMenuMap(const TParameterMenuMap& Map, const std::string& RootCaption)
{
    TMenuTree tree;
    TMenuTreeNode root;
    root.Caption = RootCaption;
    tree.Nodes.push_back(root);
    int menuPosition = 0;
    for (int menu = 1; menu <= LastMenuNumber; ++menu) {
        std::vector<int> submenus;
        for (int sub = 1; sub <= LastMenuNumber; ++sub)
            if (MenuExists(Map, menu, sub))
                submenus.push_back(sub);
        if (!MenuExists(Map, menu, 0) && submenus.empty())
            continue;
        TMenuTreeNode node;
        node.Caption = std::to_string(menu);
        node.Level = 1;
        node.Parent = 0;
        node.Position = menuPosition++;
        node.MenuNumber = menu;
        const int menuIndex = static_cast<int>(tree.Nodes.size());
        tree.Nodes.push_back(node);
        int subPosition = 0;
        for (int sub : submenus) {
            TMenuTreeNode child;
            child.Caption = std::to_string(menu) + "." + std::to_string(sub);
            child.Level = 2;
            child.Parent = menuIndex;
            child.Position = subPosition++;
            child.MenuNumber = menu;
            child.SubmenuNumber = sub;
            tree.Nodes.push_back(child);
        }
    }
    return tree;
}

#pragma once
// The menu tree files Tree0.txt .. Tree2.txt: one node per line, every leading tab or blank one
// level deeper. The first line is the root, its children the menus, their children the submenus.
// A line may be at most one level deeper than the line before it; a shallower line closes the
// deeper branches. Captions link to the menu map by position only.

#include <string>
#include <string_view>
#include <vector>

struct TMenuTreeNode {
    std::string Caption;
    int Level = 0;         // 0 root, 1 menu, 2 submenu; a deeper node selects its submenu
    int Parent = -1;       // index into TMenuTree::Nodes, -1 for a root
    int Position = 0;      // 0-based position among its siblings
    int MenuNumber = 0;    // position + 1 of the level-1 node at or above it; 0 for a root
    int SubmenuNumber = 0; // position + 1 of the level-2 node at or above it; 0 above level 2
    int MenuId() const { return 100 * MenuNumber + SubmenuNumber; }
};

struct TMenuTree {
    std::vector<TMenuTreeNode> Nodes; // in file order, so a parent always precedes its children
    // A file that cannot be read or a line too deep stops the load; the nodes read before stay.
    std::string ErrorKind;    // "" when the whole file loaded
    std::string ErrorMessage;
    bool Missing = false; // there is no such file: the editor falls back without an error box
    bool Ok() const { return ErrorKind.empty(); }
};

// Tree<n>.txt for language index 0..2, Tree0.txt for any other index.
std::string TreeFileName(int languageIndex);

// Blank lines are skipped. Node levels nest as described above.
TMenuTree ParseMenuTree(std::string_view text);
// ParseMenuTree of the file's bytes; a missing or unreadable file gives no nodes and an error
// (Missing tells the two apart).
TMenuTree LoadMenuTree(const std::string& path);

// The menu tree files (Tree0.txt .. Tree2.txt).
#include "FuzzInput.h"

#include "params/core/MenuTree.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const TMenuTree tree = ParseMenuTree(fuzz::AsText(Data, Size));
    // Parents precede their children and a child is one level deeper: the editor walks them so.
    for (std::size_t i = 0; i < tree.Nodes.size(); ++i) {
        const TMenuTreeNode& node = tree.Nodes[i];
        if (node.Parent >= static_cast<int>(i))
            std::abort();
        if (node.Parent >= 0 && tree.Nodes[static_cast<std::size_t>(node.Parent)].Level + 1 != node.Level)
            std::abort();
        (void)node.MenuId();
    }
    return 0;
}

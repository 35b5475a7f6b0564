#include "params/core/MenuTree.h"

#include "app/core/TextFileIO.h"

namespace {

// Tree files are a few kilobytes; this cap only keeps a mistaken huge file from eating memory.
constexpr std::size_t MaxTreeFileBytes = 1024 * 1024;

bool IsIndent(char c)
{
    return c == '\t' || c == ' ';
}

bool IsBlankLine(std::string_view line)
{
    for (char c : line)
        if (static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

} // namespace

std::string TreeFileName(int languageIndex)
{
    if (languageIndex == 1 || languageIndex == 2)
        return "Tree" + std::to_string(languageIndex) + ".txt";
    return "Tree0.txt";
}

TMenuTree ParseMenuTree(std::string_view text)
{
    TMenuTree tree;
    std::vector<int> childCount; // per node: children added so far
    int rootCount = 0;
    int last = -1; // index of the node added last
    bool stopped = false;

    ForEachLine(text, [&](std::string_view line) {
        if (stopped || IsBlankLine(line))
            return;
        std::size_t indent = 0;
        while (indent < line.size() && IsIndent(line[indent]))
            ++indent;
        const int depth = static_cast<int>(indent);

        // Find the parent: the first line is a root whatever its indentation; afterwards a line
        // at most one level deeper than the previous node nests, a shallower one closes branches.
        int parent = -1;
        if (last >= 0) {
            const int lastLevel = tree.Nodes[static_cast<std::size_t>(last)].Level;
            if (depth > lastLevel + 1) {
                tree.ErrorKind = "ETreeFormatError";
                tree.ErrorMessage = "Invalid level (" + std::to_string(depth) + ") for item '" +
                                    std::string(line.substr(indent)) + "'";
                stopped = true;
                return;
            }
            if (depth == lastLevel + 1) {
                parent = last;
            } else {
                parent = tree.Nodes[static_cast<std::size_t>(last)].Parent;
                while (parent >= 0 && tree.Nodes[static_cast<std::size_t>(parent)].Level >= depth)
                    parent = tree.Nodes[static_cast<std::size_t>(parent)].Parent;
            }
        }

        TMenuTreeNode node;
        node.Caption = std::string(line.substr(indent));
        node.Parent = parent;
        if (parent < 0) {
            node.Level = 0;
            node.Position = rootCount++;
        } else {
            const TMenuTreeNode& up = tree.Nodes[static_cast<std::size_t>(parent)];
            node.Level = up.Level + 1;
            node.Position = childCount[static_cast<std::size_t>(parent)]++;
            node.MenuNumber = up.MenuNumber;
            node.SubmenuNumber = up.SubmenuNumber;
            if (node.Level == 1)
                node.MenuNumber = node.Position + 1;
            else if (node.Level == 2)
                node.SubmenuNumber = node.Position + 1;
        }
        tree.Nodes.push_back(std::move(node));
        childCount.push_back(0);
        last = static_cast<int>(tree.Nodes.size()) - 1;
    });
    return tree;
}

TMenuTree LoadMenuTree(const std::string& path)
{
    std::string contents;
    const TReadResult read = ReadFileCapped(path, MaxTreeFileBytes, contents);
    if (read == TReadResult::Missing || read == TReadResult::Unreadable) {
        TMenuTree tree;
        tree.ErrorKind = "EFOpenError";
        tree.ErrorMessage = "Cannot open file \"" + path + "\"";
        tree.Missing = read == TReadResult::Missing;
        return tree;
    }
    return ParseMenuTree(contents);
}

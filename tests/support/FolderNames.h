#pragma once
// The names in a folder, sorted: a save must leave nothing there but the file it saved.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

inline std::vector<std::string> FolderNames(const std::filesystem::path& Dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

#include "params/core/LineFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/core/CaseFold.h"
#include "params/core/LineManifest.h"

namespace fs = std::filesystem;

bool IsBackupFileName(const std::string& Name)
{
    return Name.size() > 4 && EqualFold(Name.substr(Name.size() - 4), ".bak");
}

TEarlierBackup SetAsideEarlierLineBackup(const std::string& Dir)
{
    TEarlierBackup result;
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(Dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if ((name == LineManifestName || IsBackupFileName(name)) && it->is_regular_file())
            files.push_back(it->path());
    }
    if (ec) {
        result.Error = Dir + ": " + ec.message();
        return result;
    }
    if (files.empty())
        return result;
    // "2026-12-07T19:03:12Z" -> "20261207T190312Z": no colons, which Windows refuses in names.
    std::string stamp = UtcTimeStamp();
    stamp.erase(std::remove_if(stamp.begin(), stamp.end(), [](char c) { return c == '-' || c == ':'; }), stamp.end());
    fs::path folder;
    bool made = false;
    for (int n = 1; n < 100 && !made; ++n) {
        std::string name = "earlier-" + stamp;
        if (n > 1) {
            name += '-';
            name += std::to_string(n);
        }
        folder = fs::path(Dir) / name;
        made = fs::create_directory(folder, ec);
        if (ec) {
            result.Error = folder.string() + ": " + ec.message();
            return result;
        }
    }
    if (!made) {
        result.Error = folder.string() + ": already there";
        return result;
    }
    // The manifest last, so a copy without it is no line backup that could be taken as whole.
    std::stable_partition(files.begin(), files.end(), [](const fs::path& p) { return p.filename() != LineManifestName; });
    for (const fs::path& file : files)
        if (!fs::copy_file(file, folder / file.filename(), ec)) {
            result.Error = "cannot keep " + file.string() + " in " + folder.string() + ": " + ec.message();
            return result;
        }
    std::reverse(files.begin(), files.end());
    for (const fs::path& file : files)
        fs::remove(file, ec);
    result.Folder = folder.string();
    return result;
}

std::string LatestEarlierLineBackup(const std::string& Dir)
{
    std::error_code ec;
    std::string latest;
    // The names are earlier-<UTC time>[-n]: the latest sorts last.
    for (fs::directory_iterator it(Dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code exists;
        if (name.rfind("earlier-", 0) == 0 && fs::is_regular_file(it->path() / LineManifestName, exists) &&
            (latest.empty() || name > fs::path(latest).filename().string()))
            latest = it->path().string();
    }
    return latest;
}

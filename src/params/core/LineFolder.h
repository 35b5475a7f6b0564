#pragma once
// A line backup never leaves its folder worse than it found it: before a run writes into a folder
// that already holds a line backup (line.csv or .bak files), these are set aside into a sub-folder
// named by the time, earlier-20261207T190312Z/, where they stay a whole line backup of their own
// (its manifest lists the files beside it). The copies are complete before any original is
// removed, so an interruption leaves the backup whole in one place or the other.

#include <string>

struct TEarlierBackup {
    std::string Folder; // the sub-folder the earlier backup went to; empty when there was none
    std::string Error;  // why it could not be set aside (then nothing was removed)

    bool Ok() const { return Error.empty(); }
};

TEarlierBackup SetAsideEarlierLineBackup(const std::string& Dir);

// The newest sub-folder an earlier backup was set aside into (one that holds a manifest), or "".
std::string LatestEarlierLineBackup(const std::string& Dir);

// Whether Name is a backup file's name (".bak", in any case).
bool IsBackupFileName(const std::string& Name);

#pragma once
// One line backup at a time per folder: two runs saving into one folder would each write a unit's
// file and the manifest, and the folder could end with one run's file under the other's SHA-256.
// The lock goes with the process, so a crash or a kill never leaves it held.

#include <cstdint>
#include <string>

namespace cli {

class FolderLock {
public:
    explicit FolderLock(const std::string& Folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // False when another run holds the folder.
    bool Held() const { return held_; }

private:
    bool held_ = false;
    std::intptr_t native_ = -1; // the folder's descriptor; on Windows the lock file's handle
};

} // namespace cli

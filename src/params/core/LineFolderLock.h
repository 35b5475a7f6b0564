#pragma once
// One line backup at a time writes into a folder: two runs on two ports into the same folder would
// set each other's files aside and replace each other's manifest, leaving files no manifest lists.
// The lock is the operating system's, so a run that is killed or crashes releases it.

#include <string>

class TLineFolderLock {
public:
    explicit TLineFolderLock(const std::string& Dir);
    ~TLineFolderLock();
    TLineFolderLock(const TLineFolderLock&) = delete;
    TLineFolderLock& operator=(const TLineFolderLock&) = delete;

    bool Held() const { return error_.empty(); }
    // Why the folder could not be taken: another run holds it.
    const std::string& Error() const { return error_; }

private:
    std::string error_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

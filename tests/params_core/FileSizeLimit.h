#pragma once
// Makes writes beyond a few bytes fail for the life of the object, as a full disk would, where the
// system offers such a limit for one process (FileSizeLimit_posix.cpp); elsewhere Active() is
// false and the test that needs it skips itself.

#include <cstdint>

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uintmax_t Bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Active() const { return active_; }

private:
    bool active_ = false;
    std::uintmax_t previous_ = 0;
};

#ifndef _WIN32
#include "params/core/LineFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

// The folder itself is locked, so no lock file is left in it.
TLineFolderLock::TLineFolderLock(const std::string& Dir)
{
    fd_ = ::open(Dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = Dir + ": " + std::system_category().message(errno);
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        error_ = err == EWOULDBLOCK ? Dir + ": another line backup is writing into this folder"
                                    : Dir + ": " + std::system_category().message(err);
        ::close(fd_);
        fd_ = -1;
    }
}

TLineFolderLock::~TLineFolderLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}
#endif

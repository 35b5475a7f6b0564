#ifndef _WIN32
#include "params/core/LineFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

// The folder itself is locked, so no lock file is left in it. Only another run's lock refuses the
// folder: where the file system cannot lock (a network share without a lock service), a run goes
// on as before rather than being refused.
TLineFolderLock::TLineFolderLock(const std::string& Dir)
{
    fd_ = ::open(Dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            error_ = Dir + ": another line backup is writing into this folder";
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

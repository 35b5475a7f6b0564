#include "cli/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace cli {

FolderLock::FolderLock(const std::string& Folder)
{
    const int fd = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    native_ = fd;
    // A folder that cannot be opened to lock (one we may not list) is saved into unlocked, as before.
    held_ = fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

FolderLock::~FolderLock()
{
    if (native_ >= 0)
        ::close(static_cast<int>(native_));
}

} // namespace cli

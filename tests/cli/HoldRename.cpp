// Preloaded into one kmt40-cli to hold it between writing its temporary file and renaming it:
// with KMT40_HOLD_RENAME naming a FIFO, rename() and renameat() first wait until the test writes
// a byte to it.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

void WaitForRelease()
{
    const char* fifo = std::getenv("KMT40_HOLD_RENAME");
    if (!fifo)
        return;
    int fd = -1;
    while ((fd = open(fifo, O_RDONLY)) < 0 && errno == EINTR) {
    }
    char byte = 0;
    if (fd >= 0) {
        while (read(fd, &byte, 1) < 0 && errno == EINTR) {
        }
        close(fd);
    }
}

} // namespace

extern "C" int rename(const char* from, const char* to)
{
    using Rename = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    WaitForRelease();
    return real(from, to);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    using RenameAt = int (*)(int, const char*, int, const char*);
    static const auto real = reinterpret_cast<RenameAt>(dlsym(RTLD_NEXT, "renameat"));
    WaitForRelease();
    return real(fromFolder, from, toFolder, to);
}

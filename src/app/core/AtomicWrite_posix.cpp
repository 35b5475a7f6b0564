#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "app/core/TextFileIO.h"

namespace {

std::string SystemMessage(const std::string& What, const std::string& Path, int Err) {
  return What + " " + Path + ": " + std::generic_category().message(Err);
}

bool WriteAll(int Fd, std::string_view Data) {
  while (!Data.empty()) {
    const ssize_t n = ::write(Fd, Data.data(), Data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    Data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// After the rename the directory entry must reach the disk too, or a power cut may bring back
// the old name. Failing here is no reason to report the save as failed.
void SyncDirectoryOf(const std::string& Path) {
  const auto slash = Path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : Path.substr(0, slash + 1);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

bool WriteFileAtomically(const std::string& Path, std::string_view Contents, std::string& Error) {
  const std::string temp = Path + ".tmp";
  // O_NOFOLLOW: a planted link must not redirect the write elsewhere.
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    Error = SystemMessage("Cannot create", temp, errno);
    return false;
  }
  struct stat old {};
  if (::stat(Path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    ::fchmod(fd, old.st_mode & 07777);
  }
  int err = 0;
  if (!WriteAll(fd, Contents) || ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    Error = SystemMessage("Cannot write", temp, err);
    return false;
  }
  if (::rename(temp.c_str(), Path.c_str()) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    Error = SystemMessage("Cannot replace", Path, err);
    return false;
  }
  SyncDirectoryOf(Path);
  return true;
}
#endif

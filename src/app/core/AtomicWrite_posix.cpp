#ifndef _WIN32
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
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

// The directory part of Path with its final slash, or "" for a name in the current directory.
std::string DirectoryOf(const std::string& Path) {
  const auto slash = Path.find_last_of('/');
  return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

std::string NameOf(const std::string& Path) {
  return Path.substr(DirectoryOf(Path).size());
}

// The folder a file is saved in, held open so that the temporary is made, renamed and removed in
// that folder even if it is moved meanwhile, and so that a path near the longest the system takes
// never grows too long by the temporary's name. -1 with errno set.
int OpenFolderOf(const std::string& Path) {
  const std::string dir = DirectoryOf(Path);
#ifdef O_PATH
  const int how = O_PATH | O_DIRECTORY | O_CLOEXEC;  // a folder we may write but not list will do
#else
  const int how = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
  return ::open(dir.empty() ? "." : dir.c_str(), how);
}

// An open folder, closed when the save ends.
struct ClosedAtEnd {
  explicit ClosedAtEnd(int Folder) : Fd(Folder) {}
  ClosedAtEnd(const ClosedAtEnd&) = delete;
  ClosedAtEnd& operator=(const ClosedAtEnd&) = delete;
  ~ClosedAtEnd() {
    if (Fd >= 0) ::close(Fd);
  }
  const int Fd;
};

// After the rename the directory entry must reach the disk too, or a power cut may bring back
// the old name. Failing here is no reason to report the save as failed.
void SyncDirectoryOf(const std::string& Path) {
  const std::string dir = DirectoryOf(Path);
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// The file a chain of symbolic links ends in (it need not exist yet), so that saving through a
// link replaces the file it names and the link stays. 0, or the errno of the failure.
int FollowLinks(const std::string& Path, std::string& Target) {
  Target = Path;
  for (int step = 0; step < 40; ++step) {
    struct stat st {};
    if (::lstat(Target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(Target.c_str(), buffer, sizeof buffer);
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) == sizeof buffer) return ENAMETOOLONG;
    const std::string next(buffer, static_cast<std::size_t>(n));
    Target = next.front() == '/' ? next : DirectoryOf(Target) + next;
  }
  return ELOOP;
}

// Ctrl-C, SIGTERM or a hang-up that ends the program while a temporary exists removes it first.
// A handler someone else installed (the command-line tool notes the first Ctrl-C, the program
// closes its windows) still runs, and the save then goes on as before.
class TemporaryRemovedOnSignal {
 public:
  TemporaryRemovedOnSignal(int Folder, const std::string& Temp) {
    if (Temp.size() >= sizeof name_ || armed_.exchange(true)) return;  // one save at a time
    folder_ = Folder;
    std::memcpy(name_, Temp.c_str(), Temp.size() + 1);
    removeOnSignal_ = 1;
    owner_ = true;
    struct sigaction ours {};
    ours.sa_handler = OnSignal;
    ours.sa_flags = SA_RESTART;  // the write goes on after a signal that does not end the program
    sigemptyset(&ours.sa_mask);
    for (int i = 0; i < Count; ++i) ::sigaction(Signals[i], &ours, &previous_[i]);
  }
  ~TemporaryRemovedOnSignal() {
    if (!owner_) return;
    for (int i = 0; i < Count; ++i) {
      struct sigaction now {};
      if (::sigaction(Signals[i], nullptr, &now) == 0 && now.sa_handler == OnSignal)
        ::sigaction(Signals[i], &previous_[i], nullptr);
    }
    armed_ = false;
  }
  TemporaryRemovedOnSignal(const TemporaryRemovedOnSignal&) = delete;
  TemporaryRemovedOnSignal& operator=(const TemporaryRemovedOnSignal&) = delete;

  // The temporary is gone (renamed or removed): a signal from now on must not remove its name.
  void Disarm() {
    if (owner_) removeOnSignal_ = false;
  }

 private:
  static constexpr int Count = 3;
  static constexpr int Signals[Count] = {SIGINT, SIGTERM, SIGHUP};

  static void OnSignal(int Number) {
    int i = 0;
    while (i < Count && Signals[i] != Number) ++i;
    if (i == Count) return;
    const struct sigaction& before = previous_[i];
    if (before.sa_handler == SIG_IGN) return;
    if (before.sa_handler != SIG_DFL && (before.sa_flags & SA_SIGINFO) == 0) {
      before.sa_handler(Number);
      // That handler may have set signals back to their default (a second Ctrl-C ends the run):
      // keep watching them, with what it set as the one that follows.
      struct sigaction ours {};
      ours.sa_handler = OnSignal;
      ours.sa_flags = SA_RESTART;
      sigemptyset(&ours.sa_mask);
      for (int k = 0; k < Count; ++k) {
        struct sigaction now {};
        if (::sigaction(Signals[k], nullptr, &now) == 0 && now.sa_handler != OnSignal) {
          previous_[k] = now;
          ::sigaction(Signals[k], &ours, nullptr);
        }
      }
      return;
    }
    if (removeOnSignal_) ::unlinkat(folder_, name_, 0);
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    ::sigaction(Number, &plain, nullptr);
    ::raise(Number);  // delivered, and fatal, as the handler returns
  }

  bool owner_ = false;
  static inline std::atomic<bool> armed_{false};
  static inline volatile std::sig_atomic_t removeOnSignal_ = 1;
  static inline int folder_ = -1;
  static inline char name_[NAME_MAX + 1];
  static inline struct sigaction previous_[Count];
};

// A new file in Folder, created exclusively (never an existing file, never through a link) under
// a name of its own, so saves running at once never share one. Its name is short whatever the
// target's length. The file descriptor, or -1 with errno set.
int CreateTemporaryIn(int Folder, std::string& Temp) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto now = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    const unsigned long long mixed =
        (now * 0x9E3779B97F4A7C15ull) ^ (static_cast<unsigned long long>(::getpid()) << 20) ^ ++counter;
    char name[40];
    std::snprintf(name, sizeof name, ".kmt40-%012llx.tmp", mixed & 0xFFFFFFFFFFFFull);
    Temp = name;
    const int fd =
        ::openat(Folder, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool WriteFileAtomically(const std::string& Path, std::string_view Contents, std::string& Error) {
  std::string target;
  if (const int err = FollowLinks(Path, target); err != 0) {
    Error = SystemMessage("Cannot follow the link", Path, err);
    return false;
  }
  // A link leads into a file; one to a device or a pipe (a link to /dev/null) must never have
  // that replaced by a plain file.
  struct stat named {};
  if (target != Path && ::stat(target.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
    Error = "Cannot save through the link " + Path + ": " + target + " is not a plain file";
    return false;
  }
  const ClosedAtEnd folder(OpenFolderOf(target));
  std::string temp;
  const int fd = folder.Fd < 0 ? -1 : CreateTemporaryIn(folder.Fd, temp);
  if (fd < 0) {
    Error = SystemMessage("Cannot create a temporary file beside", target, errno);
    return false;
  }
  TemporaryRemovedOnSignal removal(folder.Fd, temp);
  const std::string name = NameOf(target);
  struct stat old {};
  if (::fstatat(folder.Fd, name.c_str(), &old, 0) == 0 && S_ISREG(old.st_mode)) {
    // Owner and group first: changing them clears set-id bits the mode then puts back. Only
    // root may give the file away; for anyone else an unchanged owner is the best there is.
    struct stat mine {};
    if (::fstat(fd, &mine) == 0 && (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid))
      static_cast<void>(::fchown(fd, old.st_uid, old.st_gid));
    ::fchmod(fd, old.st_mode & 07777);
  }
  int err = 0;
  if (!WriteAll(fd, Contents) || ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    ::unlinkat(folder.Fd, temp.c_str(), 0);
    removal.Disarm();
    Error = SystemMessage("Cannot write", target, err);
    return false;
  }
  if (::renameat(folder.Fd, temp.c_str(), folder.Fd, name.c_str()) != 0) {
    err = errno;
    ::unlinkat(folder.Fd, temp.c_str(), 0);
    removal.Disarm();
    Error = SystemMessage("Cannot replace", target, err);
    return false;
  }
  removal.Disarm();
  SyncDirectoryOf(target);
  return true;
}
#endif

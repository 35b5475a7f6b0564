#include "ControllerLine.h"

#include "LineTermios.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/inotify.h>
#endif

namespace km4x {

namespace {

std::string SystemText(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

bool ReplaceLink(const std::string& linkPath, const std::string& target, std::string* error)
{
    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *error = linkPath + " exists and is not a symbolic link";
            return false;
        }
        unlink(linkPath.c_str());
    }
    if (symlink(target.c_str(), linkPath.c_str()) != 0) {
        *error = SystemText("symlink " + linkPath);
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<ControllerLine> ControllerLine::OpenPseudoTerminal(const LineSettings& initial,
                                                                   const std::string& linkPath,
                                                                   std::string* error)
{
    std::unique_ptr<ControllerLine> line(new ControllerLine);
    line->m_fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line->m_fd < 0) {
        *error = SystemText("posix_openpt");
        return nullptr;
    }
    if (grantpt(line->m_fd) != 0 || unlockpt(line->m_fd) != 0) {
        *error = SystemText("grantpt/unlockpt");
        return nullptr;
    }
    char name[256] = {};
    if (ptsname_r(line->m_fd, name, sizeof name) != 0) {
        *error = SystemText("ptsname_r");
        return nullptr;
    }
    const int flags = fcntl(line->m_fd, F_GETFL);
    fcntl(line->m_fd, F_SETFL, flags | O_NONBLOCK);

    line->m_slaveFd = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (line->m_slaveFd < 0) {
        *error = SystemText(std::string("open ") + name);
        return nullptr;
    }
    // A client that only sets the baud rate should still get a raw line, as with a real port.
    ApplyRawLineSettings(line->m_slaveFd, initial);
    line->m_initial = initial;
    line->m_clientPath = name;

#if defined(__linux__)
    line->m_watchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const uint32_t events = IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE;
    if (line->m_watchFd >= 0 && inotify_add_watch(line->m_watchFd, name, events) < 0) {
        close(line->m_watchFd);
        line->m_watchFd = -1;
    }
#endif

    if (!linkPath.empty()) {
        if (!ReplaceLink(linkPath, name, error))
            return nullptr;
        line->m_linkPath = linkPath;
        line->m_clientPath = linkPath;
    }
    return line;
}

std::unique_ptr<ControllerLine> ControllerLine::OpenDevice(const std::string& path, const LineSettings& settings,
                                                           std::string* error)
{
    std::unique_ptr<ControllerLine> line(new ControllerLine);
    line->m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (line->m_fd < 0) {
        *error = SystemText("open " + path);
        return nullptr;
    }
    if (!ApplyRawLineSettings(line->m_fd, settings)) {
        *error = SystemText("line settings of " + path);
        return nullptr;
    }
    line->m_clientPath = path;
    return line;
}

ControllerLine::~ControllerLine()
{
    if (!m_linkPath.empty()) {
        struct stat st {};
        if (lstat(m_linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            unlink(m_linkPath.c_str());
    }
    if (m_watchFd >= 0)
        close(m_watchFd);
    if (m_slaveFd >= 0)
        close(m_slaveFd);
    if (m_fd >= 0)
        close(m_fd);
}

ObservedLine ControllerLine::observe() const
{
    // On a pseudo-terminal both sides share one set of settings: the held slave shows what the
    // client set. A real device shows our own settings, and there parity is real.
    const int fd = m_slaveFd >= 0 ? m_slaveFd : m_fd;
    ObservedLine seen = ReadLineSettings(fd).value_or(ObservedLine{});
    seen.parityVisible = m_slaveFd < 0;
    return seen;
}

void ControllerLine::handleClientEvents()
{
    bool closed = false;
    bool leftClosed = false; // the last event was a close: nobody opened the line after it
#if defined(__linux__)
    alignas(inotify_event) char buffer[4096];
    ssize_t n;
    while ((n = read(m_watchFd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))
                closed = leftClosed = true;
            else if (event->mask & IN_OPEN)
                leftClosed = false;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
#endif
    if (!closed || m_slaveFd < 0)
        return;
    ioctl(m_slaveFd, TIOCNXCL);
    // A pseudo-terminal keeps what the last client set, less what it cannot carry (parity), and a
    // client that checks what it set (Wine's SetCommState does) then fails on the next open. So
    // after a client has left, the line is set back to what the first one found; but not when a
    // new client opened it in the meantime, which may have set its own settings already. (The
    // watch does not count clients: it merges repeated events. A serial line has one client.)
    if (leftClosed)
        ApplyRawLineSettings(m_slaveFd, m_initial);
}

} // namespace km4x

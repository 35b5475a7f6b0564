// The controller's end of the serial line: the master side of a pseudo-terminal, or a real
// serial device. Owned and used by the simulator thread only.
#pragma once

#include "LineSettings.h"

#include <memory>
#include <string>

namespace km4x {

class ControllerLine {
public:
    // Opens a new pseudo-terminal whose slave starts raw with `initial` settings. When linkPath
    // is given, a symbolic link of that name points to the slave (replacing an older link, never
    // a regular file). Returns null and fills *error on failure.
    static std::unique_ptr<ControllerLine> OpenPseudoTerminal(const LineSettings& initial,
                                                              const std::string& linkPath,
                                                              std::string* error);
    // Opens a real serial device in raw mode with `settings`.
    static std::unique_ptr<ControllerLine> OpenDevice(const std::string& path, const LineSettings& settings,
                                                      std::string* error);

    ~ControllerLine();
    ControllerLine(const ControllerLine&) = delete;
    ControllerLine& operator=(const ControllerLine&) = delete;

    int fd() const { return m_fd; }
    // Descriptor that becomes readable when a client opens or closes the slave (-1 when not watched).
    int clientWatchFd() const { return m_watchFd; }
    // Path a client opens: the pseudo-terminal slave (or its link) or the device.
    const std::string& clientPath() const { return m_clientPath; }
    bool isPseudoTerminal() const { return m_slaveFd >= 0; }

    // The client's settings as far as this line can show them.
    ObservedLine observe() const;

    // Call when clientWatchFd() is readable. When a client closed the slave, its exclusive-open
    // flag must go, or the next non-root client could not open the line again; and the next client
    // finds the line as the first one did, not as the last one left it.
    void handleClientEvents();

private:
    ControllerLine() = default;

    int m_fd = -1;
    int m_slaveFd = -1; // held open so the line never hangs up between client sessions
    int m_watchFd = -1;
    std::string m_clientPath;
    std::string m_linkPath;
    LineSettings m_initial;
};

} // namespace km4x

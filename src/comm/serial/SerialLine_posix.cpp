// POSIX backend: termios in raw mode, poll on the port and a wake pipe together (so a closing port
// never waits for a read time-out), exclusive open through flock and TIOCEXCL. Line errors are
// marked in the input (PARMRK), so they are seen on every driver; the driver's error counters,
// where it keeps them, tell the kind.

#include "comm/serial/SerialLine.h"

#include "comm/serial/CustomBaud.h"
#include "comm/serial/LineErrorMarks.h"
#include "comm/ZBPlatform.h"
#include "comm/ZBTypes.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace zbserial {
namespace {

// Mark/space ("stick") parity and the RS485 address bit: both survive in the driver from whatever
// program used the line last, and either would silently change the parity we set.
#if defined(CMSPAR)
constexpr tcflag_t StickParity = CMSPAR;
#else
constexpr tcflag_t StickParity = 0;
#endif
#if defined(ADDRB)
constexpr tcflag_t AddressBit = ADDRB;
#elif defined(__linux__)
constexpr tcflag_t AddressBit = 0x20000000; // the kernel's ADDRB, which the C library does not define
#else
constexpr tcflag_t AddressBit = 0;
#endif

struct SpeedEntry {
    uint32_t baud;
    speed_t code;
};
const SpeedEntry speeds[] = {
    {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200},
};

bool speedCode(uint32_t Baud, speed_t& Code)
{
    for (const auto& entry : speeds)
        if (entry.baud == Baud) {
            Code = entry.code;
            return true;
        }
    return false;
}

uint32_t baudOfCode(speed_t Code)
{
    for (const auto& entry : speeds)
        if (entry.code == Code)
            return entry.baud;
    return 0;
}

class PosixSerialLine : public SerialLine {
public:
    PosixSerialLine()
    {
        if (pipe(wake_) == 0) {
            for (int fd : wake_) {
                fcntl(fd, F_SETFD, FD_CLOEXEC);
                fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            }
        } else {
            wake_[0] = wake_[1] = -1;
        }
    }

    ~PosixSerialLine() override
    {
        closeFd();
        for (int fd : wake_)
            if (fd >= 0)
                ::close(fd);
    }

    bool Open(const std::string& DeviceName) override
    {
        closeFd();
        path_ = DeviceName;
        hungUp_ = false;
        bufferPos_ = bufferLen_ = 0;
        inputDrained_ = false;
        marks_.Reset();
        if (wake_[0] < 0)
            return fail(errno ? errno : EMFILE);
        const int fd = ::open(DeviceName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return fail(errno);
        // flock is what makes "in use" real for root too, which ignores TIOCEXCL.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno == EWOULDBLOCK ? EBUSY : errno;
            ::close(fd);
            return fail(error);
        }
        if (ioctl(fd, TIOCEXCL) != 0 || !isatty(fd)) {
            const int error = errno ? errno : ENOTTY;
            ::close(fd);
            return fail(error);
        }
        fd_ = fd;
        countersAvailable_ = true;
        readCounters(lastCounters_);
        return true;
    }

    bool SetQueueSizes(uint32_t, uint32_t) override
    {
        // The tty layer sizes its own buffers; the requested sizes are a Win32 notion.
        return fd_ >= 0 ? true : fail(EBADF);
    }

    bool GetSettings(LineSettings& Settings) override
    {
        termios current{};
        if (tcgetattr(fd_, &current) != 0)
            return fail(errno);
        {
            std::lock_guard<std::mutex> lock(settingsMutex_);
            reported_ = current;
        }
        uint32_t baud = baudOfCode(cfgetospeed(&current));
        if (baud == 0 && !GetCustomBaudRate(fd_, baud))
            baud = 0;
        Settings.BaudRate = baud;
        switch (current.c_cflag & CSIZE) {
        case CS5: Settings.ByteSize = 5; break;
        case CS6: Settings.ByteSize = 6; break;
        case CS7: Settings.ByteSize = 7; break;
        default: Settings.ByteSize = 8; break;
        }
        Settings.Parity = !(current.c_cflag & PARENB) ? NOPARITY : (current.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
        Settings.StopBits = (current.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
        return true;
    }

    bool SetSettings(const LineSettings& Settings) override
    {
        termios wanted{};
        {
            std::lock_guard<std::mutex> lock(settingsMutex_);
            wanted = reported_;
        }
        // A Win32 comm handle is always raw; a tty must be made so (no echo, no CR/NL translation,
        // no software or hardware flow control) or replies would be altered.
        cfmakeraw(&wanted);
        wanted.c_cflag |= CLOCAL | CREAD;
        wanted.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSIZE | PARENB | PARODD | CSTOPB | StickParity | AddressBit);
        wanted.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | IGNPAR | ISTRIP | IGNBRK | BRKINT);
        // Parity and framing errors (and breaks) arrive marked in the input; ReadByte undoes the
        // marks. INPCK also without parity, or framing errors would pass unmarked.
        wanted.c_iflag |= INPCK | PARMRK;
        switch (Settings.ByteSize) {
        case 5: wanted.c_cflag |= CS5; break;
        case 6: wanted.c_cflag |= CS6; break;
        case 7: wanted.c_cflag |= CS7; break;
        case 8: wanted.c_cflag |= CS8; break;
        default: return fail(EINVAL);
        }
        if (Settings.Parity == EVENPARITY || Settings.Parity == ODDPARITY) {
            wanted.c_cflag |= PARENB | (Settings.Parity == ODDPARITY ? PARODD : 0);
        } else if (Settings.Parity != NOPARITY) {
            return fail(EINVAL);
        }
        if (Settings.StopBits == TWOSTOPBITS)
            wanted.c_cflag |= CSTOPB;
        else if (Settings.StopBits != ONESTOPBIT)
            return fail(EINVAL);
        // With VMIN 1 a non-blocking read says EAGAIN when nothing is waiting, so that 0 can only
        // mean end of file: the device has gone.
        wanted.c_cc[VMIN] = 1;
        wanted.c_cc[VTIME] = 0;
#ifdef CIBAUD
        // A custom rate set earlier (by us or another program) leaves BOTHER in the input-speed
        // bits, which the classic interface cannot express and the kernel refuses.
        wanted.c_cflag &= ~static_cast<tcflag_t>(CIBAUD);
#endif
        speed_t code = B9600;
        const bool standard = speedCode(Settings.BaudRate, code);
        cfsetispeed(&wanted, standard ? code : B9600);
        cfsetospeed(&wanted, standard ? code : B9600);
        if (tcsetattr(fd_, TCSANOW, &wanted) != 0) {
            const int error = errno;
            // The C library reports EINVAL when the driver silently dropped the parity or data-bit
            // setting. A pseudo-terminal always does (it carries 8 bits without parity); its speed
            // and stop bits still count, so it is accepted as it is.
            if (!(error == EINVAL && isPseudoTerminal() && speedAndStopBitsTaken(wanted)))
                return fail(error);
        }
        if (!standard && !SetCustomBaudRate(fd_, Settings.BaudRate))
            return fail(errno);
        std::lock_guard<std::mutex> lock(settingsMutex_);
        appliedParity_ = Settings.Parity;
        return true;
    }

    bool SetReadTimeout(int Milliseconds) override
    {
        readTimeout_ = Milliseconds < 0 ? 0 : Milliseconds;
        return true;
    }

    bool Purge() override
    {
        marks_.Reset();
        bufferPos_ = bufferLen_ = 0;
        inputDrained_ = true;
        return tcflush(fd_, TCIOFLUSH) == 0 ? true : fail(errno);
    }

    bool Write(const uint8_t* Data, std::size_t Count) override
    {
        std::size_t done = 0;
        while (done < Count) {
            const ssize_t n = ::write(fd_, Data + done, Count - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && errno == EAGAIN) {
                // Output buffer full: wait for room, or for the port to close.
                pollfd fds[2] = {{fd_, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
                if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                    return fail(errno);
                if (fds[1].revents & POLLIN)
                    return fail(ECANCELED);
                if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) && !(fds[0].revents & POLLOUT))
                    return fail(EIO);
            } else {
                return fail(n < 0 ? errno : EIO);
            }
        }
        return true;
    }

    bool Drain() override
    {
        while (tcdrain(fd_) != 0) {
            if (errno != EINTR)
                return fail(errno);
        }
        return true;
    }

    ReadStatus ReadByte(uint8_t& Byte) override
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeout_);
        for (;;) {
            uint8_t raw = 0;
            const ReadStatus status = readRaw(raw, deadline);
            if (status != ReadStatus::Byte)
                return status;
            bool faulty = false;
            if (marks_.Take(raw, Byte, faulty)) {
                if (faulty)
                    markedErrors_ |= markedErrorFlag();
                return ReadStatus::Byte;
            }
        }
    }

    bool StillThere() override
    {
        if (fd_ < 0)
            return fail(EBADF);
        if (hungUp_)
            return fail(EIO);
        // A hung-up terminal reports itself to poll at once, also when its wait ended first.
        pollfd fds{fd_, POLLIN, 0};
        if (::poll(&fds, 1, 0) < 0)
            return errno == EINTR || fail(errno);
        if (fds.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            hungUp_ = true;
            return fail(EIO);
        }
        return true;
    }

    bool TakeLineErrors(uint32_t& Flags) override
    {
        Flags = 0;
        if (fd_ < 0)
            return fail(EBADF);
        // The counters name the kind of error; a mark in the input only says that there was one.
        const uint32_t marked = markedErrors_;
        markedErrors_ = 0;
        if (countersAvailable_) {
            Counters now;
            if (readCounters(now)) {
                if (now.frame != lastCounters_.frame) Flags |= ceFrame;
                if (now.overrun != lastCounters_.overrun) Flags |= ceOverrun;
                if (now.parity != lastCounters_.parity) Flags |= ceRxParity;
                if (now.brk != lastCounters_.brk) Flags |= ceBreak;
                if (now.bufOverrun != lastCounters_.bufOverrun) Flags |= ceRxOver;
                lastCounters_ = now;
            } else if (countersAvailable_) {
                return fail(errno);
            }
        }
        if ((Flags & (ceFrame | ceRxParity | ceBreak)) == 0)
            Flags |= marked;
        return true;
    }

    bool Close() override
    {
        if (fd_ < 0)
            return true;
        const int fd = fd_;
        fd_ = -1;
        // The descriptor is released even when close reports an error.
        if (::close(fd) != 0 && errno != EINTR)
            return fail(errno);
        return true;
    }

    void Interrupt() override
    {
        interrupted_.store(true);
        if (wake_[1] >= 0) {
            const char byte = 1;
            [[maybe_unused]] ssize_t ignored = ::write(wake_[1], &byte, 1);
        }
    }

    uint32_t LastError() const override
    {
        std::lock_guard<std::mutex> lock(errorMutex_);
        return lastError_;
    }

    std::string LastErrorText() const override
    {
        std::lock_guard<std::mutex> lock(errorMutex_);
        return lastErrorText_;
    }

private:
    struct Counters {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    };

    using Clock = std::chrono::steady_clock;

    // The kind a mark stands for when no counter tells: with parity on, a parity error is what a
    // wrong setting mostly gives; without parity only framing errors (and breaks) are marked.
    uint32_t markedErrorFlag() const
    {
        std::lock_guard<std::mutex> lock(settingsMutex_);
        return (appliedParity_ == NOPARITY) ? ceFrame : ceRxParity;
    }

    // One byte as the tty delivers it (marks included), waiting until Deadline.
    // One byte as the tty delivers it (marks included), waiting until Deadline. Reads what is
    // waiting in one call and serves it from a small buffer: a reply that arrives in one piece (a
    // USB adapter's packet) costs one system call, not one per byte.
    ReadStatus readRaw(uint8_t& Byte, Clock::time_point deadline)
    {
        if (interrupted_.load())
            return ReadStatus::Interrupted;
        if (bufferPos_ < bufferLen_) {
            Byte = buffer_[bufferPos_++];
            return ReadStatus::Byte;
        }
        if (hungUp_)
            return failRead(EIO);
        // The last read emptied the driver's queue: wait for more before reading again.
        bool waitFirst = inputDrained_;
        for (;;) {
            if (!waitFirst) {
                const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
                if (n > 0) {
                    bufferLen_ = static_cast<std::size_t>(n);
                    bufferPos_ = 1;
                    inputDrained_ = bufferLen_ < buffer_.size();
                    Byte = buffer_[0];
                    return ReadStatus::Byte;
                }
                // read 0 or EIO: the device is gone (a closed pseudo-terminal master, an unplugged adapter).
                if (n == 0 || (n < 0 && errno == EIO)) {
                    hungUp_ = true;
                    return failRead(EIO);
                }
                if (n < 0 && errno != EAGAIN && errno != EINTR)
                    return failRead(errno);
                if (Clock::now() >= deadline)
                    return ReadStatus::Timeout;
            }
            waitFirst = false;
            // Rounded up: a time-out must never end before its time.
            const auto now = Clock::now();
            const auto left =
                now >= deadline ? 0 : std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
            pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
            const int ready = ::poll(fds, 2, static_cast<int>(left));
            if (ready < 0 && errno != EINTR)
                return failRead(errno);
            if (fds[1].revents & POLLIN)
                return ReadStatus::Interrupted;
            if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & POLLIN)) {
                hungUp_ = true;
                return failRead(EIO);
            }
            // Data, a hang-up with data still waiting, or a time-out: the read above decides.
        }
    }

    // Line-error counters where the driver keeps them. A pseudo-terminal answers ENOTTY: that line
    // simply has no counters, which is neither an error nor a count of zero errors.
    bool readCounters(Counters& Out)
    {
#if defined(__linux__) && defined(TIOCGICOUNT)
        serial_icounter_struct counters{};
        if (ioctl(fd_, TIOCGICOUNT, &counters) != 0) {
            if (errno == ENOTTY || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)
                countersAvailable_ = false;
            return false;
        }
        Out.frame = counters.frame;
        Out.overrun = counters.overrun;
        Out.parity = counters.parity;
        Out.brk = counters.brk;
        Out.bufOverrun = counters.buf_overrun;
        return true;
#else
        (void)Out;
        countersAvailable_ = false;
        return false;
#endif
    }

    bool isPseudoTerminal() const
    {
#if defined(__linux__)
        struct stat info {};
        // Unix98 pseudo-terminal slaves have the majors 136..143.
        return fstat(fd_, &info) == 0 && S_ISCHR(info.st_mode) && major(info.st_rdev) >= 136 &&
               major(info.st_rdev) <= 143;
#else
        return false;
#endif
    }

    bool speedAndStopBitsTaken(const termios& Wanted) const
    {
        termios now{};
        return tcgetattr(fd_, &now) == 0 && cfgetospeed(&now) == cfgetospeed(&Wanted) &&
               (now.c_cflag & CSTOPB) == (Wanted.c_cflag & CSTOPB);
    }

    void closeFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    ReadStatus failRead(int Error)
    {
        fail(Error);
        return ReadStatus::Failed;
    }

    bool fail(int Error)
    {
        std::string text;
        if (Error == EBUSY)
            text = path_ + ": the port is in use by another program.";
        else if (Error == EACCES || Error == EPERM)
            text = path_ + ": permission denied. Ask for membership of the group that owns the port "
                           "(usually \"dialout\", \"uucp\" on some systems) and log in again.";
        else if (Error == ENOENT || Error == ENXIO || Error == ENODEV)
            text = path_ + ": no such device, " + SystemErrorDescription(static_cast<uint32_t>(Error)) +
                   ". Check that the adapter is plugged in, or assign another device to this port name.";
        else
            text = path_ + ": " + SystemErrorDescription(static_cast<uint32_t>(Error));
        std::lock_guard<std::mutex> lock(errorMutex_);
        lastError_ = static_cast<uint32_t>(Error);
        lastErrorText_ = std::move(text);
        return false;
    }

    int fd_ = -1;
    int wake_[2] = {-1, -1};
    std::string path_;
    mutable std::mutex settingsMutex_;
    termios reported_{};
    uint8_t appliedParity_ = NOPARITY;
    LineErrorMarks marks_;
    std::array<uint8_t, 64> buffer_{};
    std::size_t bufferPos_ = 0, bufferLen_ = 0;
    bool inputDrained_ = false;
    uint32_t markedErrors_ = 0; // ce... flags of marked bytes read since the last TakeLineErrors
    int readTimeout_ = 0;
    bool hungUp_ = false;
    bool countersAvailable_ = false;
    Counters lastCounters_;
    std::atomic<bool> interrupted_{false};
    mutable std::mutex errorMutex_;
    uint32_t lastError_ = 0;
    std::string lastErrorText_;
};

} // namespace

std::shared_ptr<SerialLine> CreatePlatformSerialLine()
{
    return std::make_shared<PosixSerialLine>();
}

} // namespace zbserial

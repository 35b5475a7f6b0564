// A small RFC 2217 server for tests that misbehaves on purpose, bridging one TCP connection at a
// time to a serial device (the simulator's pseudo-terminal). Each mode is a row of the table below.
//   scripted-comport-server MODE DEVICE BAUD
// prints the loopback port it listens on as the first line of its output, then serves until killed.
#include "TermiosSpeed.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uint8_t BINARY = 0, COM_PORT = 44;

struct Mode {
    const char* name;
    bool refuseComPort = false;   // DONT COM-PORT-OPTION: keeps its own settings
    bool refuseBinary = false;    // no binary either way: CR travels as CR NUL
    bool endlessSub = false;      // starts a subnegotiation and never ends it
    bool junk = false;            // repeats the last reply ahead of the next one
    int lateLineStateMs = 0;      // every 5th reply garbled, its framing error reported this late
    bool wrongBaud = false;       // cannot do 28800: sets and confirms 19200
    bool flood = false;           // sends data without end
    bool suspend = false;         // holds the 3rd reply back for 1.5 s with FLOWCONTROL-SUSPEND
    bool endlessSubLater = false; // as endlessSub, but only after the 10th reply
    bool neverAccepts = false;    // its queue of connections full: a connection's SYN is dropped
    // Only the 350th reply garbled (few wait after it), its report sent ahead of the third reply
    // after it: it lags several fast replies behind, whatever the machine's speed.
    bool lateOnce = false;
    // The 370th "wp" reaches the controller with another value, and its reply comes back garbled
    // into the value asked for, its framing error reported ahead of the second reply after it.
    bool garbledWrite = false;
    // The first reply to this request ("rp 399", "rs 48", or "ws 48" with any value) reported 10 ms
    // late with a framing error (a read's value garbled): nothing follows a run's last request to
    // carry it.
    const char* lateAfter = nullptr;
};

const Mode modes[] = {
    {"well-behaved"},
    {"refusing", true},
    {"binary-refused", false, true},
    {"endless-subnegotiation", false, false, true},
    {"junk", false, false, false, true},
    {"late-line-state", false, false, false, false, 1},
    {"wrong-baud", false, false, false, false, false, true},
    {"flood", false, false, false, false, false, false, true},
    {"flow-suspended", false, false, false, false, false, false, false, true},
    {"endless-subnegotiation-later", false, false, false, false, false, false, false, false, true},
    {"never-accepts", false, false, false, false, false, false, false, false, false, true},
    {.name = "late-line-state-lagging", .lateLineStateMs = 1, .lateOnce = true},
    {.name = "garbled-write", .garbledWrite = true},
    {.name = "late-line-state-last-read", .lateAfter = "rp 399"},
    {.name = "late-line-state-after-bp", .lateAfter = "bp"},
    {.name = "late-line-state-last-setpoint", .lateAfter = "rs 48"},
};

void sendAll(int Fd, const Bytes& Data)
{
    std::size_t done = 0;
    while (done < Data.size()) {
        const ssize_t n = send(Fd, Data.data() + done, Data.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

class Session {
public:
    Session(const Mode& M, int Client, int Device) : mode_(M), client_(Client), device_(Device) {}

    void Run()
    {
        sendAll(client_, {IAC, static_cast<uint8_t>(mode_.refuseComPort ? DONT : DO), COM_PORT});
        if (mode_.refuseBinary)
            sendAll(client_, {IAC, WONT, BINARY, IAC, DONT, BINARY});
        if (mode_.endlessSub || mode_.flood) {
            endless();
            return;
        }
        uint8_t buffer[512];
        for (;;) {
            pollfd fds[2] = {{client_, POLLIN, 0}, {device_, POLLIN, 0}};
            int wait = -1;
            if (notifyAt_ != Clock::time_point{})
                wait = static_cast<int>(std::max<long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                              notifyAt_ - Clock::now()).count()));
            if (poll(fds, 2, wait) < 0)
                return;
            if (notifyAt_ != Clock::time_point{} && Clock::now() >= notifyAt_) {
                sendAll(client_, {IAC, SB, COM_PORT, 106, 0x08, IAC, SE});
                notifyAt_ = {};
            }
            if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = recv(client_, buffer, sizeof buffer, 0);
                if (n <= 0)
                    return;
                fromClient(buffer, static_cast<std::size_t>(n));
            }
            if (fds[1].revents & POLLIN) {
                const ssize_t n = read(device_, buffer, sizeof buffer);
                if (n > 0)
                    fromDevice(buffer, static_cast<std::size_t>(n));
                if (mode_.endlessSubLater && completed_ >= 10) {
                    endless();
                    return;
                }
            }
        }
    }

private:
    // Sends without end until the client goes away.
    void endless()
    {
        Bytes chunk(65536, 'A');
        if (mode_.endlessSub || mode_.endlessSubLater)
            sendAll(client_, {IAC, SB, COM_PORT, 106});
        while (::send(client_, chunk.data(), chunk.size(), MSG_NOSIGNAL) > 0) {
            uint8_t discard[512];
            while (recv(client_, discard, sizeof discard, MSG_DONTWAIT) > 0) {
            }
        }
    }

    void fromClient(const uint8_t* Data, std::size_t Count)
    {
        Bytes toDevice;
        for (std::size_t i = 0; i < Count; ++i) {
            const uint8_t b = Data[i];
            switch (state_) {
            case 0: // data
                if (b == IAC)
                    state_ = 1;
                else if (!(mode_.refuseBinary && b == 0 && lastWasCr_))
                    toDevice.push_back(b);
                lastWasCr_ = b == '\r';
                break;
            case 1: // after IAC
                if (b == IAC) {
                    toDevice.push_back(IAC);
                    state_ = 0;
                } else if (b >= WILL) {
                    verb_ = b;
                    state_ = 2;
                } else if (b == SB) {
                    sub_.clear();
                    state_ = 3;
                } else {
                    state_ = 0;
                }
                break;
            case 2: // option of a verb
                answer(verb_, b);
                state_ = 0;
                break;
            case 3: // subnegotiation
                if (b == IAC)
                    state_ = 4;
                else
                    sub_.push_back(b);
                break;
            default: // IAC inside a subnegotiation
                if (b == SE) {
                    subnegotiation();
                    state_ = 0;
                } else {
                    sub_.push_back(b);
                    state_ = 3;
                }
                break;
            }
        }
        if (toDevice.empty())
            return;
        const bool request = toDevice.back() == '\r';
        if (request && mode_.garbledWrite && toDevice.size() > 3 && toDevice[0] == 'w' && toDevice[1] == 'p' &&
            ++writes_ == 370) {
            uint8_t& digit = toDevice[toDevice.size() - 2];
            digit = digit == '9' ? '0' : static_cast<uint8_t>(digit + 1);
            garbledWrite_ = true;
        }
        if (request && mode_.lateAfter) {
            const std::string text(toDevice.begin(), toDevice.end() - 1);
            lateAfterThis_ = !lateAfterDone_ &&
                             (text == mode_.lateAfter || text.rfind(std::string(mode_.lateAfter) + ' ', 0) == 0);
            lateAfterDone_ = lateAfterDone_ || lateAfterThis_;
        }
        if (request && mode_.junk && !lastReply_.empty())
            toClient(lastReply_);
        if (request && mode_.suspend && ++requests_ == 3) {
            sendAll(client_, {IAC, SB, COM_PORT, 108, IAC, SE});
            holdUntil_ = Clock::now() + std::chrono::milliseconds(1500);
        }
        [[maybe_unused]] ssize_t written = write(device_, toDevice.data(), toDevice.size());
    }

    void answer(uint8_t Verb, uint8_t Option)
    {
        if (Option == COM_PORT || Option == BINARY) {
            const bool refuse = Option == BINARY ? mode_.refuseBinary : mode_.refuseComPort;
            if (Verb == WILL)
                sendAll(client_, {IAC, refuse ? DONT : DO, Option});
            else if (Verb == DO)
                sendAll(client_, {IAC, refuse ? WONT : WILL, Option});
        } else if (Verb == WILL || Verb == DO) {
            sendAll(client_, {IAC, static_cast<uint8_t>(Verb == WILL ? DONT : WONT), Option});
        }
    }

    void subnegotiation()
    {
        if (sub_.size() < 2 || sub_[0] != COM_PORT || mode_.refuseComPort)
            return;
        const uint8_t command = sub_[1];
        Bytes value(sub_.begin() + 2, sub_.end());
        termios tio{};
        tcgetattr(device_, &tio);
        if (command == 1 && value.size() == 4) {
            uint32_t baud = static_cast<uint32_t>(value[0]) << 24 | value[1] << 16 | value[2] << 8 | value[3];
            if (mode_.wrongBaud && baud == 28800)
                baud = 19200;
            cfsetispeed(&tio, TermiosSpeed(baud));
            cfsetospeed(&tio, TermiosSpeed(baud));
            value = {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16), static_cast<uint8_t>(baud >> 8),
                     static_cast<uint8_t>(baud)};
        } else if (command == 2 && value.size() == 1) {
            tio.c_cflag = (tio.c_cflag & ~CSIZE) | (value[0] == 7 ? CS7 : CS8);
        } else if (command == 3 && value.size() == 1) {
            tio.c_cflag &= ~(PARENB | PARODD);
            if (value[0] == 2)
                tio.c_cflag |= PARENB | PARODD;
            else if (value[0] == 3)
                tio.c_cflag |= PARENB;
        } else if (command == 4 && value.size() == 1) {
            tio.c_cflag = value[0] == 2 ? (tio.c_cflag | CSTOPB) : (tio.c_cflag & ~CSTOPB);
        } else if (command == 12) {
            tcflush(device_, TCIOFLUSH);
        }
        tcsetattr(device_, TCSANOW, &tio);
        Bytes reply{IAC, SB, COM_PORT, static_cast<uint8_t>(command + 100)};
        for (uint8_t b : value) {
            reply.push_back(b);
            if (b == IAC)
                reply.push_back(IAC);
        }
        reply.insert(reply.end(), {IAC, SE});
        sendAll(client_, reply);
    }

    void fromDevice(const uint8_t* Data, std::size_t Count)
    {
        if (holdUntil_ != Clock::time_point{}) {
            std::this_thread::sleep_until(holdUntil_);
            holdUntil_ = {};
            sendAll(client_, {IAC, SB, COM_PORT, 109, IAC, SE});
        }
        Bytes data(Data, Data + Count);
        if (reply_.empty() && lagReplies_ > 0 && --lagReplies_ == 0)
            sendAll(client_, {IAC, SB, COM_PORT, 106, 0x08, IAC, SE});
        reply_.insert(reply_.end(), data.begin(), data.end());
        const bool end = !reply_.empty() && reply_.back() == '\n';
        if (end && mode_.lateLineStateMs > 0 && (mode_.lateOnce ? ++replies_ == 350 : ++replies_ % 5 == 0)) {
            shiftLastDigit(data, 1);
            if (mode_.lateOnce)
                lagReplies_ = 3;
            else
                notifyAt_ = Clock::now() + std::chrono::milliseconds(mode_.lateLineStateMs);
        }
        if (end && lateAfterThis_) {
            if (reply_.front() == 'r')
                shiftLastDigit(data, 1);
            notifyAt_ = Clock::now() + std::chrono::milliseconds(10);
            lateAfterThis_ = false;
        }
        if (end && garbledWrite_) {
            shiftLastDigit(data, -1);
            garbledWrite_ = false;
            lagReplies_ = 2;
        }
        toClient(data);
        if (end) {
            lastReply_ = reply_;
            reply_.clear();
            ++completed_;
        }
    }

    // The garbled byte a framing error leaves: the last digit of the reply one up or down.
    static void shiftLastDigit(Bytes& Data, int Step)
    {
        for (std::size_t i = Data.size(); i-- > 0;)
            if (Data[i] >= '0' && Data[i] <= '9') {
                Data[i] = static_cast<uint8_t>('0' + (Data[i] - '0' + 10 + Step) % 10);
                return;
            }
    }

    void toClient(const Bytes& Data)
    {
        Bytes out;
        for (uint8_t b : Data) {
            out.push_back(b);
            if (b == IAC)
                out.push_back(IAC);
            else if (b == '\r' && mode_.refuseBinary)
                out.push_back(0);
        }
        sendAll(client_, out);
    }

    const Mode& mode_;
    int client_, device_;
    int state_ = 0;
    uint8_t verb_ = 0;
    bool lastWasCr_ = false;
    Bytes sub_, reply_, lastReply_;
    int requests_ = 0, replies_ = 0, completed_ = 0, writes_ = 0, lagReplies_ = 0;
    bool garbledWrite_ = false, lateAfterThis_ = false, lateAfterDone_ = false;
    Clock::time_point notifyAt_{}, holdUntil_{};
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s MODE DEVICE BAUD\n", argv[0]);
        return 2;
    }
    const Mode* mode = nullptr;
    for (const Mode& m : modes)
        if (std::strcmp(m.name, argv[1]) == 0)
            mode = &m;
    const int device = open(argv[2], O_RDWR | O_NOCTTY);
    if (mode == nullptr || device < 0) {
        std::fprintf(stderr, "unknown mode or device\n");
        return 2;
    }
    termios tio{};
    tcgetattr(device, &tio);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD | PARENB;
    cfsetispeed(&tio, TermiosSpeed(static_cast<uint32_t>(std::atoi(argv[3]))));
    cfsetospeed(&tio, TermiosSpeed(static_cast<uint32_t>(std::atoi(argv[3]))));
    tcsetattr(device, TCSANOW, &tio);

    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 2;
    if (mode->neverAccepts) {
        // The smallest queue, filled by connections of its own that are never accepted: the
        // system drops the next SYN, as a host that does not answer, without a packet leaving.
        listen(listener, 0);
        for (int i = 0; i < 3; ++i) {
            const int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::printf("%u\n", ntohs(address.sin_port));
    std::fflush(stdout);
    while (mode->neverAccepts)
        pause();
    for (;;) {
        const int client = accept(listener, nullptr, nullptr);
        if (client < 0)
            continue;
        const int on = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        tcflush(device, TCIOFLUSH);
        Session(*mode, client, device).Run();
        close(client);
    }
}

#pragma once
// A real ser2net on the loopback, bridging a serial device (the simulator's pseudo-terminal) to an
// RFC 2217 port and a raw TCP port. Started with a generated configuration in a throw-away
// directory, stopped by the test (or the destructor). 127.0.0.1 only.

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testsupport {

// The ser2net executable, or "" when it is not installed (scripts/setup.sh installs it).
inline std::string Ser2NetProgram()
{
    for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"})
        if (access(path, X_OK) == 0)
            return path;
    return {};
}

// A loopback TCP port nobody listens on at this moment.
inline uint16_t FreeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

// True when a socket listens on 127.0.0.1:Port (read from the kernel's table, so the check makes
// no connection that the server would have to serve).
inline bool ListensOnLoopback(uint16_t Port)
{
    std::ifstream table("/proc/net/tcp");
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", Port);
    std::string line;
    while (std::getline(table, line)) {
        // "  sl  local_address rem_address   st ..."; state 0A is LISTEN.
        const auto at = line.find(wanted);
        if (at != std::string::npos && line.find(" 0A ", at) != std::string::npos)
            return true;
    }
    return false;
}

class Ser2NetServer {
public:
    // Bridges Device at the given line settings ("38400e81") to rfc2217Port() and tcpPort().
    Ser2NetServer(const std::string& Device, const std::string& Settings = "38400e81")
    {
        const std::string program = Ser2NetProgram();
        if (program.empty())
            return;
        std::random_device random;
        dir_ = std::filesystem::temp_directory_path() / ("kmt40-ser2net-" + std::to_string(random()) + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        rfc2217Port_ = FreeLoopbackPort();
        tcpPort_ = FreeLoopbackPort();
        while (tcpPort_ == rfc2217Port_)
            tcpPort_ = FreeLoopbackPort();
        {
            std::ofstream config(dir_ / "ser2net.yaml");
            // kickolduser: a test that reconnects at once must not find the last connection in the
            // way; nodelay and no chardelay: each reply passes at once, as the README advises.
            config << "connection: &rfc2217\n"
                   << "  accepter: telnet(rfc2217),tcp(nodelay),127.0.0.1," << rfc2217Port_ << "\n"
                   << "  connector: serialdev," << Device << "," << Settings << ",local\n"
                   << "  options:\n    kickolduser: true\n    chardelay: false\n"
                   << "connection: &raw\n"
                   << "  accepter: tcp(nodelay),127.0.0.1," << tcpPort_ << "\n"
                   << "  connector: serialdev," << Device << "," << Settings << ",local\n"
                   << "  options:\n    kickolduser: true\n    chardelay: false\n";
        }
        const std::string configPath = (dir_ / "ser2net.yaml").string();
        const std::string pidPath = (dir_ / "ser2net.pid").string();
        const std::string logPath = (dir_ / "ser2net.log").string();
        // -n: stays in the foreground as our child; -u: no UUCP lock files outside our directory.
        std::vector<std::string> args{program, "-n", "-u", "-c", configPath, "-P", pidPath};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (pid_ > 0 && !(ListensOnLoopback(rfc2217Port_) && ListensOnLoopback(tcpPort_)) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ready_ = pid_ > 0 && ListensOnLoopback(rfc2217Port_) && ListensOnLoopback(tcpPort_);
    }

    ~Ser2NetServer()
    {
        Stop();
        std::error_code ignored;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ignored);
    }
    Ser2NetServer(const Ser2NetServer&) = delete;
    Ser2NetServer& operator=(const Ser2NetServer&) = delete;

    bool Ready() const { return ready_; }
    uint16_t rfc2217Port() const { return rfc2217Port_; }
    uint16_t tcpPort() const { return tcpPort_; }
    std::string Rfc2217Url() const { return "rfc2217://127.0.0.1:" + std::to_string(rfc2217Port_); }
    std::string TcpUrl() const { return "tcp://127.0.0.1:" + std::to_string(tcpPort_); }
    std::string Log() const
    {
        std::ifstream in(dir_ / "ser2net.log");
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Ends the server as a stopped service does; its connections close.
    void Stop()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    std::filesystem::path dir_;
    pid_t pid_ = -1;
    uint16_t rfc2217Port_ = 0;
    uint16_t tcpPort_ = 0;
    bool ready_ = false;
};

} // namespace testsupport

#pragma once
// A TCP connection as the network line needs it, one backend per system (NetworkSocket_posix.cpp,
// NetworkSocket_win32.cpp): connect with a time limit, send everything, receive what is waiting
// with a time limit, and a wake-up from any thread so a closing port never waits for a time-out.

#include "comm/serial/ErrorRecord.h"
#include "comm/ZBPlatform.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zbserial {

enum class ReceiveStatus {
    Data,        // Got > 0 bytes
    Timeout,     // nothing within the time
    Interrupted, // Interrupt() was called
    Closed,      // the server closed the connection
    Failed       // system error (the connection broke)
};

// Why a connection could not be made.
enum class ConnectFailure { None, NameNotFound, Refused, NoAnswer, Other };

class NetworkSocket {
public:
    virtual ~NetworkSocket() = default;
    // Resolves Host and connects to the first address that accepts; low latency (no Nagle delay).
    virtual bool Connect(const std::string& Host, uint16_t Port, int TimeoutMs) = 0;
    // Sends all Count bytes.
    virtual bool Send(const uint8_t* Data, std::size_t Count) = 0;
    // Receives up to Size bytes; waits at most TimeoutMs for the first (0: only what is waiting).
    virtual ReceiveStatus Receive(uint8_t* Buffer, std::size_t Size, std::size_t& Got, int TimeoutMs) = 0;
    // Any thread: makes a waiting Receive or Send, and every later one, end at once.
    virtual void Interrupt() = 0;
    virtual void Close() = 0;

    // Of the last failure: the system error number and text, what kind of connect failure it was,
    // and the address that was tried ("127.0.0.1 port 4001").
    uint32_t LastError() const { return error_.Number(); }
    std::string LastErrorText() const { return error_.Text(); }
    ConnectFailure LastConnectFailure() const { return failure_.load(); }
    std::string LastAddress() const { return address_; }

protected:
    bool fail(uint32_t Error, ConnectFailure Failure = ConnectFailure::None)
    {
        failure_.store(Failure);
        return error_.Set(Error, SystemErrorText(Error));
    }
    // A name that does not resolve: the resolver's own words say more than an error number.
    bool failResolving(uint32_t Error, std::string Text)
    {
        failure_.store(ConnectFailure::NameNotFound);
        return error_.Set(Error, std::move(Text));
    }
    // Set by Connect, read by the same thread afterwards.
    std::string address_;

private:
    ErrorRecord error_;
    std::atomic<ConnectFailure> failure_{ConnectFailure::None};
};

std::unique_ptr<NetworkSocket> CreateNetworkSocket();

// The error number a lost connection is reported with (the system's "connection reset").
uint32_t ConnectionLostError();

} // namespace zbserial

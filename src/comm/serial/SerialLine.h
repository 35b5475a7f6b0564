#pragma once
// The operations the serial library needs of the operating system, one backend per system
// (SerialLine_posix.cpp, SerialLine_win32.cpp) and a scripted fake for tests (FakeSerialLine.h).
// Every failing operation records the system error number and text right after the failing call.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zbserial {

// Line settings in the numbering of the Win32 device control block, so the port's tables apply
// unchanged on every platform.
constexpr uint8_t NOPARITY = 0;
constexpr uint8_t ODDPARITY = 1;
constexpr uint8_t EVENPARITY = 2;
constexpr uint8_t ONESTOPBIT = 0;
constexpr uint8_t TWOSTOPBITS = 2;

struct LineSettings {
    uint32_t BaudRate = 9600;
    uint8_t ByteSize = 8;
    uint8_t Parity = NOPARITY;
    uint8_t StopBits = ONESTOPBIT;
    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

enum class ReadStatus {
    Byte,        // one byte was read
    Timeout,     // no byte within the read time-out
    Interrupted, // Interrupt() was called (the port is closing)
    Failed       // system error (an unplugged line ends here, once)
};

class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Opens the device for exclusive reading and writing.
    virtual bool Open(const std::string& DeviceName) = 0;
    virtual bool SetQueueSizes(uint32_t InputSize, uint32_t OutputSize) = 0;
    // Reads the driver's settings; SetSettings applies the four fields on top of what was read and
    // otherwise keeps the line raw (no echo, no translation, no flow control).
    virtual bool GetSettings(LineSettings& Settings) = 0;
    virtual bool SetSettings(const LineSettings& Settings) = 0;
    // Time ReadByte waits for a byte.
    virtual bool SetReadTimeout(int Milliseconds) = 0;
    // Discards unread input and unsent output.
    virtual bool Purge() = 0;
    // Writes all Count bytes (blocking).
    virtual bool Write(const uint8_t* Data, std::size_t Count) = 0;
    // Returns when the driver has sent everything.
    virtual bool Drain() = 0;
    virtual ReadStatus ReadByte(uint8_t& Byte) = 0;
    // Whether the device is still there, asked after a read timed out: some drivers end a read on
    // a device that went away during the wait as a plain time-out (Wine on a hung-up terminal,
    // USB adapters). False, with the system error recorded, when it has gone. A line whose reads
    // always report a vanished device themselves keeps the default.
    virtual bool StillThere() { return true; }
    // Line-error flags (ce... of comm/ZBTypes.h) raised since the last call; 0 where the driver
    // keeps no such record.
    virtual bool TakeLineErrors(uint32_t& Flags) = 0;
    // As TakeLineErrors, asked when a reply is complete: a line whose errors are reported a moment
    // after the bytes they concern (a device server's notifications) waits for them here.
    // A local line reports every error with its byte: nothing comes late.
    virtual bool SettleLineErrors(uint32_t& Flags)
    {
        Flags = 0;
        return true;
    }
    // After a run's last reply, with no exchange under way: waits the moment a late report may lag
    // behind that reply and takes what came, as TakeLineErrors. A local line has nothing to wait for.
    virtual bool SettleLastReply(uint32_t& Flags)
    {
        Flags = 0;
        return true;
    }
    // Whether the line keeps settings of its own whatever is asked: a raw TCP connection, or a
    // server that refused or never confirmed the COM port option. A local line sets its own.
    virtual bool SettingsFixedAtServer() { return false; }
    virtual bool Close() = 0;
    // Any thread: makes a waiting ReadByte, and every later one, return Interrupted at once.
    virtual void Interrupt() = 0;

    virtual uint32_t LastError() const = 0;
    virtual std::string LastErrorText() const = 0;
};

// The backend of the platform the library was built for.
std::shared_ptr<SerialLine> CreatePlatformSerialLine();

} // namespace zbserial

// Win32 backend: synchronous (non-overlapped) comm handle, driver-level read time-outs,
// ClearCommError for the line-error flags. Interrupt cancels the synchronous I/O the line's thread
// is blocked in (CancelSynchronousIo): a write held up by handshaking another program left in the
// driver's settings would otherwise keep a closing port waiting for ever.

#include "comm/serial/SerialLine.h"

#include "comm/PortNames.h"
#include "comm/ZBPlatform.h"

#include <atomic>
#include <mutex>
#include <windows.h>

namespace zbserial {
namespace {

class Win32SerialLine : public SerialLine {
public:
    ~Win32SerialLine() override
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        if (ownThread_ != nullptr)
            CloseHandle(ownThread_);
    }

    bool Open(const std::string& DeviceName) override
    {
        const std::string device = WindowsComDeviceName(DeviceName);
        handle_ = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        timeoutSet_ = NoTimeoutSet;
        return handle_ != INVALID_HANDLE_VALUE || fail();
    }

    bool SetQueueSizes(uint32_t InputSize, uint32_t OutputSize) override
    {
        return SetupComm(handle_, InputSize, OutputSize) || fail();
    }

    bool GetSettings(LineSettings& Settings) override
    {
        dcb_ = DCB{};
        dcb_.DCBlength = sizeof(DCB);
        if (!GetCommState(handle_, &dcb_))
            return fail();
        Settings.BaudRate = dcb_.BaudRate;
        Settings.ByteSize = dcb_.ByteSize;
        Settings.Parity = dcb_.Parity;
        Settings.StopBits = dcb_.StopBits;
        return true;
    }

    bool SetSettings(const LineSettings& Settings) override
    {
        // Every other field keeps what the driver reported.
        dcb_.BaudRate = Settings.BaudRate;
        dcb_.ByteSize = Settings.ByteSize;
        dcb_.Parity = Settings.Parity;
        dcb_.StopBits = Settings.StopBits;
        if (SetCommState(handle_, &dcb_))
            return true;
        if (GetLastError() != ERROR_INVALID_PARAMETER || dcb_.Parity == NOPARITY)
            return fail();
        // Wine on a pseudo-terminal: the terminal drops the parity bit, and the C library, reading
        // back what it set, calls the settings invalid when that call changed nothing else. So a
        // port that has parity already (a new rate goes in before, in a call of its own) cannot
        // be given parity again. A pass without parity first gives that call its change. A real
        // port that refused the settings refuses them again, and that error is reported.
        DCB withoutParity = dcb_;
        withoutParity.Parity = NOPARITY;
        return (SetCommState(handle_, &withoutParity) && SetCommState(handle_, &dcb_)) || fail();
    }

    bool SetReadTimeouts(DWORD Constant)
    {
        // The thread sets the time-out before every byte it reads, nearly always to what it was;
        // the driver call costs far more than this comparison.
        if (Constant == timeoutSet_)
            return true;
        // MAXDWORD/MAXDWORD/constant: ReadFile returns at once with a waiting byte, else at the
        // first byte or after the constant. No write time-out.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = Constant;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 0;
        if (!SetCommTimeouts(handle_, &timeouts)) {
            timeoutSet_ = NoTimeoutSet;
            return fail();
        }
        timeoutSet_ = Constant;
        return true;
    }

    bool SetReadTimeout(int Milliseconds) override
    {
        return SetReadTimeouts(Milliseconds > 0 ? static_cast<DWORD>(Milliseconds) : 1);
    }

    bool Purge() override
    {
        return PurgeComm(handle_, PURGE_TXCLEAR | PURGE_RXCLEAR) || fail();
    }

    bool Write(const uint8_t* Data, std::size_t Count) override
    {
        DWORD written = 0;
        BlockingCall call(*this);
        if (!call.Allowed())
            return cancelled();
        if (!WriteFile(handle_, Data, static_cast<DWORD>(Count), &written, nullptr))
            return fail();
        if (written != Count) {
            lastError_ = ERROR_WRITE_FAULT;
            return false;
        }
        return true;
    }

    bool Drain() override
    {
        BlockingCall call(*this);
        if (!call.Allowed())
            return cancelled();
        return FlushFileBuffers(handle_) || fail();
    }

    ReadStatus ReadByte(uint8_t& Byte) override
    {
        DWORD read = 0;
        BlockingCall call(*this);
        if (!call.Allowed())
            return ReadStatus::Interrupted;
        if (!ReadFile(handle_, &Byte, 1, &read, nullptr)) {
            if (interrupted_.load())
                return ReadStatus::Interrupted;
            fail();
            return ReadStatus::Failed;
        }
        if (interrupted_.load())
            return ReadStatus::Interrupted;
        return read == 1 ? ReadStatus::Byte : ReadStatus::Timeout;
    }

    bool StillThere() override
    {
        // The status call fails on a device that has gone (Wine: a hung-up terminal; Windows: an
        // unplugged adapter). The flags it takes are kept for TakeLineErrors.
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle_, &errors, &status))
            return fail();
        heldErrors_ |= errors;
        return true;
    }

    bool TakeLineErrors(uint32_t& Flags) override
    {
        DWORD errors = 0;
        COMSTAT status{};
        Flags = 0;
        if (!ClearCommError(handle_, &errors, &status))
            return fail();
        Flags = errors | heldErrors_;
        heldErrors_ = 0;
        return true;
    }

    bool Close() override
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return true;
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) || fail();
    }

    void Interrupt() override
    {
        interrupted_.store(true);
        // The line's thread may be just entering its call: keep cancelling until it has left it.
        // CancelSynchronousIo finds nothing to cancel until the call has really started.
        for (int attempt = 0; attempt < CancelAttempts; ++attempt) {
            std::lock_guard<std::mutex> lock(ioMutex_);
            if (ioThread_ == nullptr)
                return;
            if (CancelSynchronousIo(ioThread_) || GetLastError() != ERROR_NOT_FOUND) {
                // Cancelled (or the thread is gone); a call the cancel came too early for sees the
                // flag when it starts.
                return;
            }
            Sleep(1);
        }
    }

    uint32_t LastError() const override { return lastError_; }

    std::string LastErrorText() const override { return SystemErrorDescription(lastError_); }

private:
    // Retries while the thread enters its call (each a scheduler tick at most).
    static constexpr int CancelAttempts = 200;

    // Marks the calling thread as inside a blocking call that Interrupt may cancel. The thread's
    // handle is duplicated once: GetCurrentThread is a pseudo-handle that means "the caller".
    class BlockingCall {
    public:
        explicit BlockingCall(Win32SerialLine& Line) : line_(Line)
        {
            std::lock_guard<std::mutex> lock(line_.ioMutex_);
            if (line_.ownThread_ == nullptr)
                DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &line_.ownThread_,
                                THREAD_TERMINATE, FALSE, 0);
            line_.ioThread_ = line_.ownThread_;
            allowed_ = !line_.interrupted_.load();
        }
        ~BlockingCall()
        {
            std::lock_guard<std::mutex> lock(line_.ioMutex_);
            line_.ioThread_ = nullptr;
        }
        bool Allowed() const { return allowed_; }

    private:
        Win32SerialLine& line_;
        bool allowed_ = false;
    };

    bool cancelled()
    {
        lastError_ = ERROR_OPERATION_ABORTED;
        return false;
    }

    bool fail()
    {
        lastError_ = GetLastError();
        return false;
    }

    // No read time-out is ever 0 (SetReadTimeout makes it at least 1 ms).
    static constexpr DWORD NoTimeoutSet = 0;

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DCB dcb_{};
    DWORD timeoutSet_ = NoTimeoutSet;
    DWORD heldErrors_ = 0; // line-error flags StillThere took from the driver
    std::atomic<bool> interrupted_{false};
    std::mutex ioMutex_;
    HANDLE ownThread_ = nullptr; // the thread that makes the blocking calls (duplicated handle)
    HANDLE ioThread_ = nullptr;  // set while that thread is inside one
    std::atomic<uint32_t> lastError_{0};
};

} // namespace

std::shared_ptr<SerialLine> CreatePlatformSerialLine()
{
    return std::make_shared<Win32SerialLine>();
}

} // namespace zbserial

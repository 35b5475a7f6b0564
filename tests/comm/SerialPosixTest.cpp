// The POSIX serial backend on pseudo-terminals: exclusive open, raw line settings, reads with
// time-out and wake-up, and a vanishing device.

#include "comm/serial/SerialLine.h"

#include "comm/LoopDispatcher.h"
#include "comm/PortNames.h"
#include "comm/ZBComm.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using zbserial::ReadStatus;

namespace {

// A pseudo-terminal pair; the test plays the device on the master side.
struct Pty {
    int master = -1;
    std::string slavePath;
    Pty()
    {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            slavePath = name;
            ::close(slave);
        }
    }
    ~Pty() { closeMaster(); }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void send(const std::string& text) { ASSERT_EQ(::write(master, text.data(), text.size()), static_cast<ssize_t>(text.size())); }
    std::string receive(std::size_t count)
    {
        std::string got;
        while (got.size() < count) {
            char buffer[256];
            const ssize_t n = ::read(master, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }
};

std::shared_ptr<zbserial::SerialLine> openLine(const std::string& path)
{
    auto line = zbserial::CreatePlatformSerialLine();
    EXPECT_TRUE(line->Open(path)) << line->LastErrorText();
    zbserial::LineSettings settings;
    EXPECT_TRUE(line->GetSettings(settings));
    EXPECT_TRUE(line->SetSettings(settings));
    return line;
}

} // namespace

TEST(SerialPosix, SecondOpenOfAPortInUseIsRefusedAsBusy)
{
    Pty pty;
    ASSERT_GE(pty.master, 0);
    auto first = openLine(pty.slavePath);
    auto second = zbserial::CreatePlatformSerialLine();
    EXPECT_FALSE(second->Open(pty.slavePath));
    EXPECT_EQ(second->LastError(), static_cast<uint32_t>(EBUSY));
    EXPECT_NE(second->LastErrorText().find("in use"), std::string::npos) << second->LastErrorText();
    EXPECT_NE(second->LastErrorText().find(pty.slavePath), std::string::npos);
    ASSERT_TRUE(first->Close());
    EXPECT_TRUE(second->Open(pty.slavePath)) << "closing releases the port";
}

TEST(SerialPosix, MissingDeviceAndPortInUseReachThePortAsHandleErrors)
{
    Pty pty;
    LoopDispatcher ui;
    TZBComm port(&ui);
    SetPortDevicePath(TPort::COM7, "/dev/kmt40-no-such-device");
    port.SetPortName(TPort::COM7);
    try {
        port.Open();
        ADD_FAILURE() << "opened a missing device";
    } catch (const ECommHandleError& e) {
        EXPECT_NE(std::string(e.what()).find("/dev/kmt40-no-such-device"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(port.Active());

    SetPortDevicePath(TPort::COM7, pty.slavePath);
    auto holder = openLine(pty.slavePath);
    EXPECT_THROW(port.Open(), ECommHandleError);
    holder->Close();
    port.Open();
    EXPECT_TRUE(port.Active());
    port.Close();
    ClearPortDevicePaths();
}

TEST(SerialPosix, SettingsRoundTripIncludingARateWithoutConstant)
{
    Pty pty;
    auto line = openLine(pty.slavePath);
    for (uint32_t baud : {1200u, 9600u, 28800u, 115200u}) {
        zbserial::LineSettings wanted{baud, 8, zbserial::NOPARITY, zbserial::TWOSTOPBITS};
        ASSERT_TRUE(line->SetSettings(wanted)) << baud << ": " << line->LastErrorText();
        zbserial::LineSettings seen;
        ASSERT_TRUE(line->GetSettings(seen));
        EXPECT_EQ(seen.BaudRate, baud);
        EXPECT_EQ(seen.StopBits, zbserial::TWOSTOPBITS);
    }
    zbserial::LineSettings bad{9600, 9, zbserial::NOPARITY, zbserial::ONESTOPBIT};
    EXPECT_FALSE(line->SetSettings(bad));
}

TEST(SerialPosix, LineIsRawInBothDirections)
{
    Pty pty;
    auto line = openLine(pty.slavePath);
    ASSERT_TRUE(line->SetReadTimeout(2000));
    pty.send("a\r\n\x03\xff");
    std::string got;
    uint8_t byte = 0;
    while (got.size() < 5 && line->ReadByte(byte) == ReadStatus::Byte)
        got.push_back(static_cast<char>(byte));
    EXPECT_EQ(got, "a\r\n\x03\xff") << "no CR/NL translation, no signal characters";

    const uint8_t frame[] = {'r', 'f', '\r', '\n'};
    ASSERT_TRUE(line->Write(frame, sizeof frame));
    ASSERT_TRUE(line->Drain());
    EXPECT_EQ(pty.receive(4), "rf\r\n");
}

// Another program left mark/space parity in the driver: setting even or odd parity must clear it,
// or "Even" would become space parity. Line errors are marked in the input on every driver.
TEST(SerialPosix, StickParityLeftByAnotherProgramIsClearedAndErrorsAreMarked)
{
    Pty pty;
    termios left{};
    ASSERT_EQ(tcgetattr(pty.master, &left), 0);
    left.c_cflag |= CMSPAR;
    ASSERT_EQ(tcsetattr(pty.master, TCSANOW, &left), 0);
    ASSERT_EQ(tcgetattr(pty.master, &left), 0);
    ASSERT_TRUE(left.c_cflag & CMSPAR) << "the pseudo-terminal keeps the flag, as a real driver does";

    auto line = zbserial::CreatePlatformSerialLine();
    ASSERT_TRUE(line->Open(pty.slavePath)) << line->LastErrorText();
    zbserial::LineSettings settings;
    ASSERT_TRUE(line->GetSettings(settings));
    for (uint8_t parity : {zbserial::EVENPARITY, zbserial::ODDPARITY, zbserial::NOPARITY}) {
        settings.Parity = parity;
        settings.ByteSize = 7;
        ASSERT_TRUE(line->SetSettings(settings)) << line->LastErrorText();
        termios now{};
        ASSERT_EQ(tcgetattr(pty.master, &now), 0);
        EXPECT_FALSE(now.c_cflag & CMSPAR) << "parity " << int(parity);
        EXPECT_TRUE((now.c_iflag & (INPCK | PARMRK)) == (INPCK | PARMRK));
        EXPECT_FALSE(now.c_iflag & (IGNPAR | ISTRIP));
    }
}

TEST(SerialPosix, ReadTimesOutThenPurgeDropsWaitingInput)
{
    Pty pty;
    auto line = openLine(pty.slavePath);
    ASSERT_TRUE(line->SetReadTimeout(30));
    uint8_t byte = 0;
    EXPECT_EQ(line->ReadByte(byte), ReadStatus::Timeout);

    pty.send("stale");
    ASSERT_TRUE(line->SetReadTimeout(2000));
    ASSERT_EQ(line->ReadByte(byte), ReadStatus::Byte) << "input waiting";
    EXPECT_EQ(byte, 's');
    ASSERT_TRUE(line->Purge());
    ASSERT_TRUE(line->SetReadTimeout(30));
    EXPECT_EQ(line->ReadByte(byte), ReadStatus::Timeout);
}

TEST(SerialPosix, InterruptEndsAWaitingReadAtOnce)
{
    Pty pty;
    auto line = openLine(pty.slavePath);
    ASSERT_TRUE(line->SetReadTimeout(60000));
    ReadStatus status = ReadStatus::Byte;
    std::thread reader([&] {
        uint8_t byte = 0;
        status = line->ReadByte(byte);
    });
    line->Interrupt();
    reader.join();
    EXPECT_EQ(status, ReadStatus::Interrupted);
}

TEST(SerialPosix, PseudoTerminalHasNoLineErrorCounters)
{
    Pty pty;
    auto line = openLine(pty.slavePath);
    uint32_t flags = 0xFFFF;
    EXPECT_TRUE(line->TakeLineErrors(flags));
    EXPECT_EQ(flags, 0u);
    EXPECT_TRUE(line->TakeLineErrors(flags));
}

TEST(SerialPosix, VanishedDeviceFailsReadsAndWritesWithoutWaiting)
{
    Pty pty;
    auto line = openLine(pty.slavePath);
    ASSERT_TRUE(line->SetReadTimeout(60000));
    pty.closeMaster();
    uint8_t byte = 0;
    EXPECT_EQ(line->ReadByte(byte), ReadStatus::Failed);
    EXPECT_EQ(line->LastError(), static_cast<uint32_t>(EIO));
    EXPECT_NE(line->LastErrorText().find(pty.slavePath), std::string::npos);
    EXPECT_EQ(line->ReadByte(byte), ReadStatus::Failed) << "it stays failed instead of waiting";
    const uint8_t frame[] = {'r', 'f', '\r'};
    EXPECT_FALSE(line->Write(frame, sizeof frame));
    EXPECT_TRUE(line->Close());
}

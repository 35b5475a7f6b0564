// The port component's settings: defaults, consistency of the hardware settings, Assign, what may
// change while the port is open, and bad ordinals.

#include "CommTestSupport.h"

#include "comm/PortNames.h"

using namespace commtest;

TEST(PortSettings, DefaultsAreThoseOfANewPort)
{
    LoopDispatcher ui;
    TZBComm port(&ui);
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.Baudrate(), TBaudrate::br9600);
    EXPECT_EQ(port.FrameDatabits(), TDataBit::db_8);
    EXPECT_EQ(port.FrameParitybit(), TParityBit::Even);
    EXPECT_EQ(port.FrameStopbits(), TStopBit::sb_1);
    EXPECT_EQ(port.PortName(), TPort::COM1);
    EXPECT_EQ(port.PortAddress(), TPortAddr::pa_03F8);
    EXPECT_EQ(port.PortType(), TPortType::RS232C);
    EXPECT_EQ(port.Hardware(), THardware::Standard);
    EXPECT_EQ(port.TransmitDriver(), TTransmitDriver::tdNone);
    EXPECT_EQ(port.ReceiveDriver(), TReceiveDriver::rdNone);
    EXPECT_EQ(sizeof(TBaudrate), 1u);
}

TEST(PortSettings, HardwareChoicesBringTheirDrivers)
{
    LoopDispatcher ui;
    TZBComm port(&ui);
    port.SetHardware(THardware::PCLabPCL745);
    EXPECT_EQ(port.PortType(), TPortType::RS485);
    EXPECT_EQ(port.TransmitDriver(), TTransmitDriver::tdRegister7to1);
    EXPECT_EQ(port.ReceiveDriver(), TReceiveDriver::rdRegister7to2);

    port.SetTransmitDriver(TTransmitDriver::tdRTSto1);
    EXPECT_EQ(port.Hardware(), THardware::UserDefined);
    EXPECT_EQ(port.PortType(), TPortType::RS485);
    EXPECT_EQ(port.ReceiveDriver(), TReceiveDriver::rdRegister7to2);

    port.SetHardware(THardware::PhoenixPSM);
    EXPECT_EQ(port.PortType(), TPortType::RS232C);
    EXPECT_EQ(port.TransmitDriver(), TTransmitDriver::tdDTRto0);
    EXPECT_EQ(port.ReceiveDriver(), TReceiveDriver::rdNone);

    port.SetHardware(THardware::Standard);
    EXPECT_EQ(port.TransmitDriver(), TTransmitDriver::tdNone);
}

TEST(PortSettings, SettingsThatBreakTheHardwareRowMakeItUserDefined)
{
    LoopDispatcher ui;
    TZBComm port(&ui);
    port.SetPortType(TPortType::RS422);
    EXPECT_EQ(port.Hardware(), THardware::UserDefined);

    port.SetHardware(THardware::PCLabPCL745);
    EXPECT_EQ(port.PortType(), TPortType::RS422) << "RS422 suits the PCLab card and stays";
    port.SetPortType(TPortType::RS232C);
    EXPECT_EQ(port.Hardware(), THardware::UserDefined);

    port.SetHardware(THardware::PCLabPCL745);
    port.SetReceiveDriver(TReceiveDriver::rdNone);
    EXPECT_EQ(port.Hardware(), THardware::UserDefined);

    // With UserDefined every combination stays as set.
    port.SetTransmitDriver(TTransmitDriver::tdDTRto0);
    port.SetPortType(TPortType::RS485);
    EXPECT_EQ(port.Hardware(), THardware::UserDefined);
    EXPECT_EQ(port.TransmitDriver(), TTransmitDriver::tdDTRto0);
}

TEST(PortSettings, PortNameMovesTheAddressOfTheFirstFourPorts)
{
    LoopDispatcher ui;
    TZBComm port(&ui);
    port.SetPortName(TPort::COM3);
    EXPECT_EQ(port.PortAddress(), TPortAddr::pa_03E8);
    port.SetPortName(TPort::COM2);
    EXPECT_EQ(port.PortAddress(), TPortAddr::pa_02F8);
    port.SetPortName(TPort::COM12);
    EXPECT_EQ(port.PortName(), TPort::COM12);
    EXPECT_EQ(port.PortAddress(), TPortAddr::pa_02F8) << "no address belongs to COM12; the last one stays";
}

TEST(PortSettings, OrdinalsOutsideAnEnumerationAreIgnored)
{
    LoopDispatcher ui;
    TZBComm port(&ui);
    port.SetBaudrate(static_cast<TBaudrate>(9));
    port.SetFrameParitybit(static_cast<TParityBit>(200));
    port.SetPortName(static_cast<TPort>(16));
    port.SetHardware(static_cast<THardware>(4));
    port.SetTransmitDriver(static_cast<TTransmitDriver>(255));
    EXPECT_EQ(port.Baudrate(), TBaudrate::br9600);
    EXPECT_EQ(port.FrameParitybit(), TParityBit::Even);
    EXPECT_EQ(port.PortName(), TPort::COM1);
    EXPECT_EQ(port.Hardware(), THardware::Standard);
    EXPECT_EQ(port.TransmitDriver(), TTransmitDriver::tdNone);

    EXPECT_EQ(EnumFromOrdinal<TBaudrate>(8), TBaudrate::br115200);
    EXPECT_FALSE(EnumFromOrdinal<TBaudrate>(9).has_value());
    EXPECT_FALSE(EnumFromOrdinal<TPort>(-1).has_value());
    EXPECT_EQ(SequenceCharByte(static_cast<TSequenceChar>(33)), 0);
    EXPECT_EQ(SequenceCharByte(TSequenceChar::scCR), 0x0D);
    EXPECT_EQ(SequenceCharByte(TSequenceChar::scSPACE), 0x20);
}

TEST(PortSettings, AssignCopiesTheWholeCombinationUnlessOpen)
{
    LoopDispatcher ui;
    TZBComm source(&ui), target(&ui);
    source.SetPortName(TPort::COM2);
    source.SetBaudrate(TBaudrate::br57600);
    source.SetFrameDatabits(TDataBit::db_7);
    source.SetFrameParitybit(TParityBit::Odd);
    source.SetFrameStopbits(TStopBit::sb_2);
    source.SetHardware(THardware::PCLabPCL745);
    source.SetTransmitDriver(TTransmitDriver::tdRTSto1); // -> UserDefined
    target.Assign(source);
    EXPECT_EQ(target.PortName(), TPort::COM2);
    EXPECT_EQ(target.PortAddress(), TPortAddr::pa_02F8);
    EXPECT_EQ(target.Baudrate(), TBaudrate::br57600);
    EXPECT_EQ(target.FrameDatabits(), TDataBit::db_7);
    EXPECT_EQ(target.FrameParitybit(), TParityBit::Odd);
    EXPECT_EQ(target.FrameStopbits(), TStopBit::sb_2);
    EXPECT_EQ(target.Hardware(), THardware::UserDefined);
    EXPECT_EQ(target.PortType(), TPortType::RS485);
    EXPECT_EQ(target.TransmitDriver(), TTransmitDriver::tdRTSto1);
    EXPECT_EQ(target.ReceiveDriver(), TReceiveDriver::rdRegister7to2);

    FakePort open;
    open.port.Open();
    open.port.Assign(source);
    EXPECT_EQ(open.port.Baudrate(), TBaudrate::br9600);
    open.port.Close();
}

TEST(PortSettings, FixedSettingsRaiseWhileOpenAndKeepTheirValue)
{
    FakePort f;
    f.port.SetPortName(TPort::COM2);
    f.port.Open();
    const std::string prefix = std::string("COM 2") + " is active!" + "\r\n\r\n";
    struct Case {
        std::function<void()> set;
        const char* action;
    } cases[] = {
        {[&] { f.port.SetPortName(TPort::COM3); }, "Cannot change port"},
        {[&] { f.port.SetPortAddress(TPortAddr::pa_02E8); }, "Cannot change the port address"},
        {[&] { f.port.SetPortType(TPortType::RS485); }, "Cannot change the port type"},
        {[&] { f.port.SetHardware(THardware::PhoenixPSM); }, "Cannot change port hardware"},
        {[&] { f.port.SetTransmitDriver(TTransmitDriver::tdRTSto1); }, "Cannot change device driver"},
        {[&] { f.port.SetReceiveDriver(TReceiveDriver::rdRegister7to2); }, "Cannot change device driver"},
    };
    for (const auto& c : cases) {
        try {
            c.set();
            ADD_FAILURE() << "no exception for " << c.action;
        } catch (const ECommInitError& e) {
            EXPECT_EQ(std::string(e.what()), prefix + c.action);
        }
    }
    EXPECT_EQ(f.port.PortName(), TPort::COM2);
    EXPECT_EQ(f.port.PortAddress(), TPortAddr::pa_02F8);
    EXPECT_EQ(f.port.PortType(), TPortType::RS232C);
    EXPECT_EQ(f.port.Hardware(), THardware::Standard);
    EXPECT_EQ(f.port.TransmitDriver(), TTransmitDriver::tdNone);
    EXPECT_EQ(f.port.ReceiveDriver(), TReceiveDriver::rdNone);
    f.port.Close();
}

TEST(PortSettings, FrameSettingsReachTheOpenLineAtOnce)
{
    FakePort f;
    f.port.SetBaudrate(TBaudrate::br19200);
    f.port.SetFrameStopbits(TStopBit::sb_2);
    f.port.Open();
    zbserial::LineSettings expected{19200, 8, zbserial::EVENPARITY, zbserial::TWOSTOPBITS};
    EXPECT_EQ(f.line->Settings(), expected) << "opening applies every frame setting";

    f.port.SetBaudrate(TBaudrate::br28800);
    f.port.SetFrameDatabits(TDataBit::db_7);
    f.port.SetFrameParitybit(TParityBit::Odd);
    f.port.SetFrameStopbits(TStopBit::sb_1);
    expected = {28800, 7, zbserial::ODDPARITY, zbserial::ONESTOPBIT};
    EXPECT_EQ(f.line->Settings(), expected);

    // A setting the driver refuses is still stored, and the caller hears why.
    f.line->Fail(zbserial::FakeSerialLine::Op::SetSettings, 22);
    EXPECT_THROW(f.port.SetBaudrate(TBaudrate::br115200), ECommInitError);
    EXPECT_EQ(f.port.Baudrate(), TBaudrate::br115200);
    f.port.Close();
}

TEST(PortSettings, PortNamesAndDevicePaths)
{
    EXPECT_EQ(PortDisplayName(TPort::COM1), "COM 1");
    EXPECT_EQ(PortDisplayName(TPort::COM16), "COM 16");
    EXPECT_EQ(PortEnumName(TPort::COM10), "COM10");
    const char* const addresses[] = {"03F8h", "02F8h", "03E8h", "02E8h"};
    const char* const ranges[] = {"03F8 - 03FF", "02F8 - 02FF", "03E8 - 03EF", "02E8 - 02EF"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(PortAddressText(static_cast<TPortAddr>(i)), addresses[i]);
        EXPECT_EQ(PortAddressRangeText(static_cast<TPortAddr>(i)), ranges[i]);
    }
    EXPECT_EQ(PortAddressValue(TPortAddr::pa_02E8), 0x02E8);
    EXPECT_EQ(PortAddressText(static_cast<TPortAddr>(4)), "");
    EXPECT_EQ(PortAddressRangeText(static_cast<TPortAddr>(200)), "");
#ifndef _WIN32
    EXPECT_EQ(PortDevicePath(TPort::COM1), "/dev/ttyS0");
    EXPECT_EQ(PortDevicePath(TPort::COM16), "/dev/ttyS15");
#endif
    SetPortDevicePath(TPort::COM2, "/dev/ttyUSB0");
    EXPECT_EQ(PortDevicePath(TPort::COM2), "/dev/ttyUSB0");
    SetPortDevicePath(TPort::COM2, "");
    EXPECT_EQ(PortDevicePath(TPort::COM2), DefaultPortDevicePath(TPort::COM2));
    SetPortDevicePath(static_cast<TPort>(40), "/dev/null");
    EXPECT_EQ(PortDevicePath(static_cast<TPort>(40)), "");

    // Typed by hand on Windows: COM10 and above open only through the device prefix.
    EXPECT_EQ(WindowsComDeviceName("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(WindowsComDeviceName("com3:"), "\\\\.\\COM3");
    for (const char* other : {"\\\\.\\COM12", "COM", "COM1x", "COM12::", "12", "/dev/ttyUSB0", "rfc2217://host:4001", ""})
        EXPECT_EQ(WindowsComDeviceName(other), other);

    FakePort f;
    SetPortDevicePath(TPort::COM4, "/dev/somewhere");
    f.port.SetPortName(TPort::COM4);
    EXPECT_EQ(f.port.DevicePath(), "/dev/somewhere");
    f.port.Open();
    EXPECT_EQ(f.line->OpenedName(), "/dev/somewhere");
    f.port.Close();
    ClearPortDevicePaths();
}

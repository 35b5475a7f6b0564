#include "device/core/PortSettingsBridge.h"

#include "comm/PortNames.h"

namespace device {

namespace {
template <typename E, typename Setter>
void assign(int ordinal, Setter set)
{
    if (auto value = EnumFromOrdinal<E>(ordinal))
        set(*value);
}
} // namespace

void ApplyPortSettings(TZBComm& Port, const PortSettings& S)
{
    assign<TBaudrate>(S.Baudrate, [&](TBaudrate v) { Port.SetBaudrate(v); });
    assign<TDataBit>(S.FrameDatabits, [&](TDataBit v) { Port.SetFrameDatabits(v); });
    assign<TParityBit>(S.FrameParitybit, [&](TParityBit v) { Port.SetFrameParitybit(v); });
    assign<TStopBit>(S.FrameStopbits, [&](TStopBit v) { Port.SetFrameStopbits(v); });
    assign<THardware>(S.Hardware, [&](THardware v) { Port.SetHardware(v); });
    assign<TPortAddr>(S.PortAddress, [&](TPortAddr v) { Port.SetPortAddress(v); });
    assign<TPort>(S.PortName, [&](TPort v) { Port.SetPortName(v); });
    assign<TPortType>(S.PortType, [&](TPortType v) { Port.SetPortType(v); });
    assign<TReceiveDriver>(S.ReceiveDriver, [&](TReceiveDriver v) { Port.SetReceiveDriver(v); });
    assign<TTransmitDriver>(S.TransmitDriver, [&](TTransmitDriver v) { Port.SetTransmitDriver(v); });
    Port.SetFastReplyEnd(S.FastReplyEnd);
}

PortSettings PortSettingsOf(const TZBComm& Port)
{
    PortSettings S;
    S.Baudrate = Ordinal(Port.Baudrate());
    S.FrameDatabits = Ordinal(Port.FrameDatabits());
    S.FrameParitybit = Ordinal(Port.FrameParitybit());
    S.FrameStopbits = Ordinal(Port.FrameStopbits());
    S.Hardware = Ordinal(Port.Hardware());
    S.PortAddress = Ordinal(Port.PortAddress());
    S.PortName = Ordinal(Port.PortName());
    S.PortType = Ordinal(Port.PortType());
    S.ReceiveDriver = Ordinal(Port.ReceiveDriver());
    S.TransmitDriver = Ordinal(Port.TransmitDriver());
    S.FastReplyEnd = Port.FastReplyEnd();
    return S;
}

void ApplyPortDevicePaths(const PortSettings& Settings)
{
    for (int i = 0; i < PortCount; ++i)
        SetPortDevicePath(static_cast<TPort>(i), Settings.DevicePaths[static_cast<std::size_t>(i)]);
}

} // namespace device

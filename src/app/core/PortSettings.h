#pragma once
// The port settings application.ini holds, as the ordinals of the port component's enumerations.
// Kept apart from the port component so the settings code needs no serial library; the main window
// copies them to and from ZBComm1.

#include <array>
#include <string>

constexpr int PortCount = 16;  // COM1..COM16

struct PortSettings {
  // Defaults: the port component as placed on the main window, which stand when there is no file.
  int Baudrate = 3;        // TBaudrate: 0 = 1200 .. 3 = 9600 .. 8 = 115200
  int FrameDatabits = 1;   // TDataBit: 0 = 7, 1 = 8
  int FrameParitybit = 2;  // TParityBit: 0 = None, 1 = Even, 2 = Odd
  int FrameStopbits = 0;   // TStopBit: 0 = 1, 1 = 2
  int Hardware = 1;        // THardware: Standard, PCLabPCL745, PhoenixPSM, UserDefined
  int PortAddress = 0;     // TPortAddr: 3F8h, 2F8h, 3E8h, 2E8h
  int PortName = 0;        // TPort: 0 = COM1 .. 15 = COM16
  int PortType = 2;        // TPortType: RS232C, RS422, RS485
  int ReceiveDriver = 1;   // TReceiveDriver: rdNone, rdRegister7to2
  int TransmitDriver = 1;  // TTransmitDriver: tdNone, tdRegister7to1, tdRTSto1, tdDTRto0
  // The port's fast end of reply (a reply ends at its CR LF instead of 50 ms of silence); off
  // unless the user turned it on.
  bool FastReplyEnd = false;

  // [Poorten] COM1..COM16: device path of each port name; empty = the default mapping
  // (COMn -> /dev/ttyS(n-1)). Index 0 is COM1. Read only: saving leaves the section as it is.
  std::array<std::string, PortCount> DevicePaths;
};

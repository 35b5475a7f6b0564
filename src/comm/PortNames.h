#pragma once
// Which device a port name opens. COM1..COM16 map to /dev/ttyS0../dev/ttyS15 on POSIX systems (the
// PC mapping: COM1 at 03F8h is ttyS0) and to the COM devices on Windows, unless the program
// overrides a name (application.ini [Poorten], --simulate).

#include "comm/ZBTypes.h"

#include <cstdint>
#include <string>

// "COM1" ... "COM16": the enumeration name.
std::string PortEnumName(TPort Port);
// "COM 1" ... "COM 16": the name shown in messages and lists.
std::string PortDisplayName(TPort Port);
// The built-in device path of a port.
std::string DefaultPortDevicePath(TPort Port);
// The device path the port opens: the override when one is set, else the default.
std::string PortDevicePath(TPort Port);
// Sets an override; an empty path removes it. Values outside the enumeration are ignored.
void SetPortDevicePath(TPort Port, const std::string& DevicePath);
void ClearPortDevicePaths();
// The device a port name typed by hand opens on Windows: "COM12", "com3" and "COM12:" become
// "\\.\COM12", "\\.\COM3" and "\\.\COM12" (without that prefix Windows finds only COM1..COM9, and
// the colon is no part of the name); anything else is returned as it is.
std::string WindowsComDeviceName(const std::string& Name);

// I/O address of a PortAddress value: 03F8h, 02F8h, 03E8h, 02E8h; 0 outside the enumeration.
uint16_t PortAddressValue(TPortAddr Address);
// "03F8h" ...: the address as shown; "" outside the enumeration.
std::string PortAddressText(TPortAddr Address);
// "03F8 - 03FF" ...: the eight-byte I/O range of the address; "" outside the enumeration.
std::string PortAddressRangeText(TPortAddr Address);

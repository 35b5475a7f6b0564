#pragma once
// Which device a port name opens. COM1..COM16 map to /dev/ttyS0../dev/ttyS15 on POSIX systems (the
// PC mapping: COM1 at 03F8h is ttyS0) and to the COM devices on Windows, unless the program
// overrides a name (application.ini [Poorten], --simulate).

#include "comm/ZBTypes.h"

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

#pragma once
// Texts the main window derives from the port and from request errors.
#include "comm/ZBTypes.h"

#include <optional>
#include <string>

namespace device {

// "9600,E,8,1": rate, parity (N/E/O), data bits, stop bits. A value outside its enumeration
// shows as "?" rather than reading past a table.
std::string LineSettingsText(TBaudrate Baudrate, TParityBit Parity, TDataBit Databits, TStopBit Stopbits);

// What the communication-error panel shows for a failed request: the time-out text for a
// time-out; the line-error text, a blank, the system error and ", " and the line-error flags in
// decimal when either is set ("tekst 1 5, 0"); nothing otherwise (e.g. the all-zero record that
// a recovering cyclic request reports).
std::optional<std::string> ComErrorText(const TCommError& CommError, const std::string& TimeoutText,
                                        const std::string& LineErrorText);

} // namespace device

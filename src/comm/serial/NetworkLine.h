#pragma once
// A serial line reached through a device server on the network: "rfc2217://HOST:PORT" (Telnet with
// the COM-PORT-OPTION, so the line settings are set on the server) or "tcp://HOST:PORT" (raw bytes;
// the settings are fixed at the server). Same interface, time-outs and reply ends as a local line.

#include "comm/serial/SerialLine.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zbserial {

// True when Name asks for a network line (its scheme is rfc2217:// or tcp://).
bool IsNetworkLineName(const std::string& Name);

// True for "tcp://...": raw bytes, the line settings stay what the server has.
bool IsRawNetworkLineName(const std::string& Name);

std::shared_ptr<SerialLine> CreateNetworkLine();

// The line that opens Name: a network line for a network name, else the platform's serial line.
std::shared_ptr<SerialLine> CreateSerialLineFor(const std::string& Name);

// True for the error a network line reports when its connection was lost mid-exchange.
bool IsConnectionLostError(uint32_t ErrorNumber);

} // namespace zbserial

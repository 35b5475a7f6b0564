#pragma once
// The serial devices present on this machine, for assigning one to a port name: on Linux the
// /dev/ttyS* ports that have a UART behind them, /dev/ttyUSB* and /dev/ttyACM* (with the adapter's
// name from sysfs), and the stable /dev/serial/by-id/* names (which stay the same whichever USB
// socket the adapter is plugged into). On Windows the COM devices the system lists.

#include <string>
#include <vector>

struct TDiscoveredPort {
    std::string Path;        // what the port opens
    std::string Description; // the adapter's name and, for a by-id name, the device it points to now
};

// Where to look (tests point these at a directory of their own).
struct TDiscoveryRoots {
    std::string Dev = "/dev";
    std::string Sys = "/sys";
};

// Sorted: by-id names first, then ttyUSB, ttyACM, ttyS, each in numeric order.
std::vector<TDiscoveredPort> DiscoverSerialPorts(const TDiscoveryRoots& Roots = {});

// "usb-FTDI_FT232R_USB_UART_A12345-if00-port0" -> "FTDI FT232R USB UART A12345": the bus prefix
// and the interface suffix dropped, underscores as blanks.
std::string AdapterNameOfById(const std::string& ByIdName);

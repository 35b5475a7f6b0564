#include "comm/SerialPortDiscovery.h"

#include <windows.h>

#include <vector>

std::string AdapterNameOfById(const std::string& ByIdName)
{
    return ByIdName;
}

std::vector<TDiscoveredPort> DiscoverSerialPorts(const TDiscoveryRoots&)
{
    // QueryDosDevice names every COM device the system knows, with the driver's device behind it.
    std::vector<TDiscoveredPort> ports;
    for (int number = 1; number <= 256; ++number) {
        const std::string name = "COM" + std::to_string(number);
        char target[512];
        if (QueryDosDeviceA(name.c_str(), target, sizeof target) != 0)
            ports.push_back({"\\\\.\\" + name, target});
    }
    return ports;
}

#include "comm/SerialPortDiscovery.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string firstLine(const fs::path& File)
{
    std::ifstream in(File);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return line;
}

// The USB device's manufacturer and product, found a few levels above the tty's device directory.
std::string usbAdapterName(const TDiscoveryRoots& Roots, const std::string& Name)
{
    std::error_code error;
    fs::path dir = fs::canonical(fs::path(Roots.Sys) / "class/tty" / Name / "device", error);
    for (int level = 0; !error && level < 4 && !dir.empty(); ++level, dir = dir.parent_path()) {
        if (fs::exists(dir / "product", error)) {
            const std::string manufacturer = firstLine(dir / "manufacturer");
            const std::string product = firstLine(dir / "product");
            return manufacturer.empty() ? product : manufacturer + " " + product;
        }
    }
    return std::string();
}

// A ttyS node exists for every possible UART; only those whose type is known have one behind them.
bool uartPresent(const TDiscoveryRoots& Roots, const std::string& Name)
{
    const std::string type = firstLine(fs::path(Roots.Sys) / "class/tty" / Name / "type");
    return !type.empty() && type != "0";
}

// Numeric order within a prefix: ttyUSB2 before ttyUSB10.
bool numericLess(const std::string& A, const std::string& B)
{
    auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1])))
            --digits;
        const std::string number = s.substr(digits);
        return std::make_pair(s.substr(0, digits), number.empty() ? -1L : std::stol(number.substr(0, 9)));
    };
    return split(A) < split(B);
}

} // namespace

std::string AdapterNameOfById(const std::string& ByIdName)
{
    std::string name = ByIdName;
    const std::size_t bus = name.find('-');
    if (bus != std::string::npos && bus <= 4)
        name = name.substr(bus + 1);
    const std::size_t interface = name.rfind("-if");
    if (interface != std::string::npos)
        name = name.substr(0, interface);
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

std::vector<TDiscoveredPort> DiscoverSerialPorts(const TDiscoveryRoots& Roots)
{
    std::vector<TDiscoveredPort> byId;
    std::vector<std::string> usb, acm, uart;
    std::error_code error;

    const fs::path byIdDir = fs::path(Roots.Dev) / "serial/by-id";
    for (fs::directory_iterator it(byIdDir, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code linkError;
        const fs::path target = fs::canonical(it->path(), linkError);
        // A name left behind by an adapter that is gone points nowhere: nothing to open.
        if (linkError)
            continue;
        byId.push_back({it->path().string(), AdapterNameOfById(name) + " (now " + target.filename().string() + ")"});
    }
    std::sort(byId.begin(), byId.end(), [](const auto& a, const auto& b) { return a.Path < b.Path; });

    error.clear();
    for (fs::directory_iterator it(Roots.Dev, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("ttyUSB", 0) == 0)
            usb.push_back(name);
        else if (name.rfind("ttyACM", 0) == 0)
            acm.push_back(name);
        else if (name.rfind("ttyS", 0) == 0 && name.size() > 4 && uartPresent(Roots, name))
            uart.push_back(name);
    }

    std::vector<TDiscoveredPort> ports = byId;
    for (std::vector<std::string>* group : {&usb, &acm, &uart}) {
        std::sort(group->begin(), group->end(), numericLess);
        for (const std::string& name : *group) {
            const std::string path = (fs::path(Roots.Dev) / name).string();
            ports.push_back({path, group == &uart ? std::string("serial port") : usbAdapterName(Roots, name)});
        }
    }
    return ports;
}

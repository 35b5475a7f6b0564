// The device list of the serial settings window on a /dev and /sys of the test's own: which
// devices are listed, in which order, with which names.
#include "comm/SerialPortDiscovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct FakeMachine {
    fs::path root = fs::temp_directory_path() / ("kmt40-discovery-" + std::to_string(std::random_device{}()) +
                                                 "-" + std::to_string(getpid()));
    TDiscoveryRoots roots{(root / "dev").string(), (root / "sys").string()};

    FakeMachine() { fs::create_directories(root / "dev/serial/by-id"); }
    ~FakeMachine()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    void node(const std::string& name) const { std::ofstream(root / "dev" / name) << ""; }
    void write(const fs::path& file, const std::string& text) const
    {
        fs::create_directories((root / "sys" / file).parent_path());
        std::ofstream(root / "sys" / file) << text << "\n";
    }
    // A USB adapter: the tty's device directory is an interface two levels below the USB device.
    void usbAdapter(const std::string& tty, const std::string& manufacturer, const std::string& product) const
    {
        const fs::path usbDevice = root / "sys/devices/usb1/1-1";
        fs::create_directories(usbDevice / "1-1:1.0" / tty);
        write("devices/usb1/1-1/manufacturer", manufacturer);
        write("devices/usb1/1-1/product", product);
        fs::create_directories(root / "sys/class/tty" / tty);
        fs::create_directory_symlink(usbDevice / "1-1:1.0", root / "sys/class/tty" / tty / "device");
    }
};

} // namespace

TEST(SerialPortDiscovery, ListsByIdNamesUsbAndUartsWithTheirNamesButNoPlaceholders)
{
    FakeMachine m;
    m.node("ttyUSB10");
    m.node("ttyUSB2");
    m.node("ttyACM0");
    m.node("ttyS0");
    m.node("ttyS1");
    m.node("tty5");
    m.write("class/tty/ttyS0/type", "4"); // a UART is there
    m.write("class/tty/ttyS1/type", "0"); // a placeholder without hardware
    m.usbAdapter("ttyUSB2", "FTDI", "FT232R USB UART");
    fs::create_symlink(m.root / "dev/ttyUSB2", m.root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0");
    fs::create_symlink(m.root / "dev/ttyUSB7", m.root / "dev/serial/by-id/usb-Gone_Adapter_X1-if00-port0");

    const std::vector<TDiscoveredPort> ports = DiscoverSerialPorts(m.roots);
    std::vector<std::string> names;
    for (const TDiscoveredPort& port : ports)
        names.push_back(fs::path(port.Path).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"usb-FTDI_FT232R_USB_UART_A12345-if00-port0", "ttyUSB2", "ttyUSB10",
                                               "ttyACM0", "ttyS0"}));
    EXPECT_EQ(ports[0].Description, "FTDI FT232R USB UART A12345 (now ttyUSB2)");
    EXPECT_EQ(ports[1].Description, "FTDI FT232R USB UART");
    EXPECT_EQ(ports[2].Description, "");
}

TEST(SerialPortDiscovery, AMachineWithoutSerialDevicesListsNothing)
{
    TDiscoveryRoots nowhere{"/nonexistent/kmt40-dev", "/nonexistent/kmt40-sys"};
    EXPECT_TRUE(DiscoverSerialPorts(nowhere).empty());
    EXPECT_EQ(AdapterNameOfById("usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0"),
              "Prolific Technology Inc. USB-Serial Controller");
}

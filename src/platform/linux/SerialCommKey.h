#pragma once
// The machine's serial ports, as the key HKEY_LOCAL_MACHINE "HARDWARE\DEVICEMAP\SERIALCOMM"
// shows them on Windows, found in the sysfs tty class folder.

#include "settings/RegistryTree.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

constexpr std::string_view SerialCommPath = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr std::string_view DefaultTtyRoot = "/sys/class/tty";
// udev's stable names of USB serial adapters, which survive replugging.
constexpr std::string_view DefaultByIdRoot = "/dev/serial/by-id";
// The device that echoes what is written, for trying the program without a receiver.
constexpr std::string_view LoopPortName = "loop://";

// The entries of ttyRoot that have a "device" link, leaving out those whose "type" says 0 (a
// serial port without a UART behind it, such as the 8250 driver's unused ttyS ports), in the
// order of their names with numbers compared as numbers (ttyS2 before ttyS10).
std::vector<std::string> SerialPortNames(const std::filesystem::path& ttyRoot);

// The key SerialCommPath with one REG_SZ per port, named "\Device\" + port name, holding the
// port name ("ttyUSB0"); also each link in byIdRoot to one of those ports, under its full path
// ("/dev/serial/by-id/usb-FTDI_..."), and the loop device. An empty tree when ttyRoot cannot be
// read.
TRegistryTree
SerialCommTree(const std::filesystem::path& ttyRoot,
               const std::filesystem::path& byIdRoot = std::filesystem::path(DefaultByIdRoot));

} // namespace kestrune

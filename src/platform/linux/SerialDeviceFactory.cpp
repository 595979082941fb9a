#include "platform/linux/SerialDeviceFactory.h"

#include "platform/linux/TermiosDevice.h"

#include <string_view>

namespace kestrune {

int OpenTermiosPort(const std::string& portName, std::unique_ptr<ISerialDevice>& device) {
    constexpr std::string_view DeviceFolder = "/dev/";
    const std::string path =
        portName.starts_with('/') ? portName : std::string(DeviceFolder) + portName;
    return TTermiosDevice::Open(path, device);
}

} // namespace kestrune

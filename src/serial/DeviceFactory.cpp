#include "serial/DeviceFactory.h"

#include "serial/LoopDevice.h"
#include "serial/SpyDevice.h"

#include <cerrno>
#include <string_view>

namespace kestrune {

namespace {

constexpr std::string_view LoopName = "loop://";
constexpr std::string_view SpyPrefix = "spy://";
constexpr std::string_view SpyFileOption = "?file=";

} // namespace

int TDeviceFactory::Open(const std::string& portName, std::unique_ptr<ISerialDevice>& device) {
    if (portName == LoopName) {
        device = std::make_unique<TLoopDevice>();
        return 0;
    }
    if (portName.starts_with(SpyPrefix)) {
        const std::string rest = portName.substr(SpyPrefix.size());
        const std::size_t option = rest.rfind(SpyFileOption);
        if (option == std::string::npos || option == 0 ||
            option + SpyFileOption.size() == rest.size()) {
            return EINVAL;
        }
        std::unique_ptr<ISerialDevice> inner;
        if (const int error = Open(rest.substr(0, option), inner); error != 0) {
            return error;
        }
        return TSpyDevice::Open(std::move(inner), rest.substr(option + SpyFileOption.size()),
                                FClock, device);
    }
    return FOpenSystemPort ? FOpenSystemPort(portName, device) : ENOENT;
}

} // namespace kestrune

#include "platform/windows/SerialDeviceFactory.h"

#include "platform/windows/CommDevice.h"

namespace kestrune {

int OpenCommPort(const std::string& portName, std::unique_ptr<ISerialDevice>& device) {
    return TCommDevice::Open(portName, device);
}

} // namespace kestrune

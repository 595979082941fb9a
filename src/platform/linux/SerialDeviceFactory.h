#pragma once
// Opens serial devices by port name on Linux: "ttyUSB0" is /dev/ttyUSB0, a name starting with
// "/" is a path, "loop://" is the loopback device and "spy://NAME?file=PATH" logs the port NAME.

#include "core/DateTime.h"
#include "serial/SerialDevice.h"

namespace kestrune {

class TSerialDeviceFactory final : public ISerialDeviceFactory {
public:
    // The clock stamps the spy's log lines.
    explicit TSerialDeviceFactory(const IClock& clock) : FClock(clock) {}
    int Open(const std::string& portName, std::unique_ptr<ISerialDevice>& device) override;

private:
    const IClock& FClock;
};

} // namespace kestrune

#pragma once
// Opens serial devices by port name on Linux: "ttyUSB0" is /dev/ttyUSB0, a name starting with
// "/" is a path; "loop://" and "spy://NAME?file=PATH" as everywhere.

#include "serial/DeviceFactory.h"

namespace kestrune {

// A termios device by its port name.
int OpenTermiosPort(const std::string& portName, std::unique_ptr<ISerialDevice>& device);

class TSerialDeviceFactory final : public TDeviceFactory {
public:
    explicit TSerialDeviceFactory(const IClock& clock) : TDeviceFactory(clock, OpenTermiosPort) {}
};

} // namespace kestrune

#pragma once
// Opens serial devices by port name on Windows: "COM3" is the port \\.\COM3; "loop://" and
// "spy://NAME?file=PATH" as everywhere.

#include "serial/DeviceFactory.h"

namespace kestrune {

// A port of the communications API by its name.
int OpenCommPort(const std::string& portName, std::unique_ptr<ISerialDevice>& device);

class TSerialDeviceFactory final : public TDeviceFactory {
public:
    explicit TSerialDeviceFactory(const IClock& clock) : TDeviceFactory(clock, OpenCommPort) {}
};

} // namespace kestrune

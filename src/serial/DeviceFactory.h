#pragma once
// Opens serial devices by port name: the program's own devices, "loop://" (the loopback device)
// and "spy://NAME?file=PATH" (the port NAME, opened by this same factory, with every call logged
// to PATH), whatever the platform; every other name is the system's port, opened by the
// platform's opener.

#include "core/DateTime.h"
#include "serial/SerialDevice.h"

#include <functional>

namespace kestrune {

class TDeviceFactory : public ISerialDeviceFactory {
public:
    // Opens a port of the system by its name: 0 or the system's error number.
    using TOpenSystemPort =
        std::function<int(const std::string& portName, std::unique_ptr<ISerialDevice>& device)>;

    // The clock stamps the spy's log lines.
    TDeviceFactory(const IClock& clock, TOpenSystemPort openSystemPort)
        : FClock(clock), FOpenSystemPort(std::move(openSystemPort)) {}
    int Open(const std::string& portName, std::unique_ptr<ISerialDevice>& device) override;

private:
    const IClock& FClock;
    TOpenSystemPort FOpenSystemPort;
};

} // namespace kestrune

#pragma once
// Tells the service manager about the station: "READY=1" once it works, "WATCHDOG=1" while it
// keeps working. Nothing happens when no service manager is listening.

#include <string>

namespace kestrune {

void NotifyServiceManager(const std::string& state);

} // namespace kestrune

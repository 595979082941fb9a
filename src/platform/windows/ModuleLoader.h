#pragma once

#include "core/Satellites.h"

#include <filesystem>
#include <memory>

namespace kestrune {

// Creates the orbit-prediction component through COM as registered for its class (CoCreateInstance
// on this thread's single-threaded apartment, which stays open while the component lives) and
// puts the program's ISatellites in front of the component's COM interface. Every way this can
// fail (the class not registered, a registered DLL that is missing or fails, an interface it does
// not serve) throws ESatellites with a text that says which. `modulePath` is the DLL the program
// expects, named in that text; the TSatellites must end on the thread that made it.
std::unique_ptr<TSatellites> ConnectSatellites(const std::filesystem::path& modulePath,
                                               const TGuid& classId = ClsidSatellites,
                                               const TGuid& interfaceId = IidSatellites);

// QmrSatLib.dll beside the running executable: where the installer puts it and registers it.
std::filesystem::path SatellitesModulePath();

} // namespace kestrune

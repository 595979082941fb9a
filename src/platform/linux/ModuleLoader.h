#pragma once

#include "core/Satellites.h"

#include <filesystem>
#include <memory>

namespace kestrune {

// Loads the orbit-prediction component's module and asks it for the ISatellites interface of its
// class. Every way this can fail (no module, a module without the entry point, a class or
// interface it does not make) throws ESatellites with a text that says which.
std::unique_ptr<TSatellites> ConnectSatellites(const std::filesystem::path& modulePath,
                                               const TGuid& classId = ClsidSatellites,
                                               const TGuid& interfaceId = IidSatellites);

// Where the component's module is: beside the running executable, else in ../lib/kestrune/ from
// it (the installed layout); the first when neither has it, so that the failure names it.
std::filesystem::path SatellitesModulePath();

} // namespace kestrune

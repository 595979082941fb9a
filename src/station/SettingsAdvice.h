#pragma once
// What a station started without its settings (a first start as a service) says once, where the
// window would show the defaults in its controls.

#include "settings/Registry.h"

#include <filesystem>
#include <string>

namespace kestrune {

// Which settings file was looked for, and that the station uses the program's own location or
// satellite list because none is set; empty when both are set.
std::string MissingSettingsWarning(IRegistry& registry, const std::filesystem::path& hivePath);

} // namespace kestrune

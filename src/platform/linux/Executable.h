#pragma once

#include <filesystem>

namespace kestrune {

// The running executable's full path, and the folder it lies in.
std::filesystem::path ExecutablePath();
std::filesystem::path ExecutableDir();

} // namespace kestrune

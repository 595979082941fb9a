#include "Executable.h"

namespace kestrune {

std::filesystem::path ExecutablePath() {
    return std::filesystem::read_symlink("/proc/self/exe");
}

std::filesystem::path ExecutableDir() {
    return ExecutablePath().parent_path();
}

} // namespace kestrune

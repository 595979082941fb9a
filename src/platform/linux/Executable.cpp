#include "platform/linux/Executable.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace kestrune {

std::filesystem::path ExecutablePath() {
    return std::filesystem::read_symlink("/proc/self/exe");
}

std::filesystem::path ExecutableDir() {
    return ExecutablePath().parent_path();
}

std::filesystem::path XdgBaseFolder(const char* variable, const char* underHome) {
    if (const char* value = std::getenv(variable);
        value != nullptr && std::filesystem::path(value).is_absolute())
        return value;
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return std::filesystem::path(home) / underHome;
}

namespace {

// The folder under the state folder, created (mode 0700) when missing; a folder that cannot be
// made shows up when it is used.
std::filesystem::path StateFolder(const char* name) {
    const std::filesystem::path folder =
        XdgBaseFolder("XDG_STATE_HOME", ".local/state") / "Quillmere" / name;
    std::error_code error;
    if (std::filesystem::create_directories(folder, error))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    return folder;
}

} // namespace

std::filesystem::path RuntimeFolder() {
    if (const char* value = std::getenv("XDG_RUNTIME_DIR");
        value != nullptr && std::filesystem::path(value).is_absolute())
        return value;
    return StateFolder("runtime");
}

std::filesystem::path ScheduleFilePath() {
    return StateFolder("Kestrune") / "Schedule.txt";
}

} // namespace kestrune

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

std::filesystem::path ScheduleFilePath() {
    const std::filesystem::path folder =
        XdgBaseFolder("XDG_STATE_HOME", ".local/state") / "Quillmere" / "Kestrune";
    std::error_code error;
    if (std::filesystem::create_directories(folder, error))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    return folder / "Schedule.txt";
}

} // namespace kestrune

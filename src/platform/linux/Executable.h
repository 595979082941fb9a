#pragma once
// Where the program lies and where it keeps the user's files.

#include <filesystem>

namespace kestrune {

// The running executable's full path, and the folder it lies in.
std::filesystem::path ExecutablePath();
std::filesystem::path ExecutableDir();

// An XDG base folder: the variable's value when it is an absolute path, else the home folder's
// sub-folder (".config", ".local/state").
std::filesystem::path XdgBaseFolder(const char* variable, const char* underHome);

// ${XDG_STATE_HOME:-~/.local/state}/Quillmere/Kestrune/Schedule.txt. Its folder is created
// (mode 0700) when missing; a folder that cannot be made shows up when the file is written.
std::filesystem::path ScheduleFilePath();

} // namespace kestrune

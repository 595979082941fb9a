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

// The user's runtime folder (the instance lock, the tracking socket): $XDG_RUNTIME_DIR when it is
// an absolute path, else ${XDG_STATE_HOME:-~/.local/state}/Quillmere/runtime, created (mode
// 0700) when missing: a folder of the user's own, where no other user can take a name first as
// one could in /tmp.
std::filesystem::path RuntimeFolder();

// ${XDG_STATE_HOME:-~/.local/state}/Quillmere/Kestrune/Schedule.txt. Its folder is created
// (mode 0700) when missing; a folder that cannot be made shows up when the file is written.
std::filesystem::path ScheduleFilePath();

} // namespace kestrune

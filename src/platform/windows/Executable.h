#pragma once
// Where the program lies and where it keeps its files on Windows.

#include <filesystem>

namespace kestrune {

// The running executable's full path (GetModuleFileNameW), and the folder it lies in.
std::filesystem::path ExecutablePath();
std::filesystem::path ExecutableDir();

// %LOCALAPPDATA%\Quillmere\Kestrune: the user's own folder for the program's files.
std::filesystem::path LocalAppDataFolder();

// "Schedule.txt" beside the executable, where a per-user installation can write; else in
// LocalAppDataFolder (a program installed for all users under Program Files, or run from a
// read-only folder), created when missing.
std::filesystem::path ScheduleFilePath();
// The choice, for a given executable folder and fallback folder.
std::filesystem::path ScheduleFilePath(const std::filesystem::path& executableDir,
                                       const std::filesystem::path& fallbackDir);

} // namespace kestrune

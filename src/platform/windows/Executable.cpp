#include "platform/windows/Executable.h"

#include <stdexcept>
#include <string>
#include <windows.h>

namespace kestrune {

namespace {

constexpr const wchar_t* ScheduleFileName = L"Schedule.txt";

// Whether a file can be made in the folder: one is made and removed again.
bool FolderWritable(const std::filesystem::path& folder) {
    const std::filesystem::path probe =
        folder / (L"Kestrune-write-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp");
    const HANDLE file =
        ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

} // namespace

std::filesystem::path ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            throw std::runtime_error("The program's own path is unknown (GetModuleFileNameW)");
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::filesystem::path ExecutableDir() {
    return ExecutablePath().parent_path();
}

std::filesystem::path LocalAppDataFolder() {
    const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
    const std::filesystem::path base = localAppData != nullptr && *localAppData != L'\0'
                                           ? std::filesystem::path(localAppData)
                                           : std::filesystem::temp_directory_path();
    return base / L"Quillmere" / L"Kestrune";
}

std::filesystem::path ScheduleFilePath(const std::filesystem::path& executableDir,
                                       const std::filesystem::path& fallbackDir) {
    if (FolderWritable(executableDir))
        return executableDir / ScheduleFileName;
    // A folder that cannot be made shows up when the file is written.
    std::error_code ignored;
    std::filesystem::create_directories(fallbackDir, ignored);
    return fallbackDir / ScheduleFileName;
}

std::filesystem::path ScheduleFilePath() {
    return ScheduleFilePath(ExecutableDir(), LocalAppDataFolder());
}

} // namespace kestrune

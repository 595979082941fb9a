#include "platform/windows/InstanceLock.h"

#include "platform/windows/WideText.h"

#include <algorithm>
#include <cstring>

namespace kestrune {

namespace {

constexpr DWORD HolderBytes = 512;

// The holder's name as it published it; empty when it has not (yet).
std::string PublishedHolder(const std::wstring& mappingName) {
    const HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, mappingName.c_str());
    if (mapping == nullptr)
        return {};
    std::string holder;
    if (const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, HolderBytes)) {
        const char* text = static_cast<const char*>(view);
        holder.assign(text, strnlen(text, HolderBytes));
        ::UnmapViewOfFile(view);
    }
    ::CloseHandle(mapping);
    return holder;
}

} // namespace

TInstanceLock::TInstanceLock(const std::string& name, const std::string& holder) {
    const std::wstring mutexName = WideFromUtf8("Local\\" + name);
    const std::wstring mappingName = WideFromUtf8("Local\\" + name + "-holder");
    FMutex = ::CreateMutexW(nullptr, TRUE, mutexName.c_str());
    if (FMutex == nullptr)
        throw EInstanceLock("cannot make the lock " + name + ": " +
                            SystemErrorText(::GetLastError()));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(FMutex);
        const std::string running = PublishedHolder(mappingName);
        throw EInstanceLock(
            "another copy is running: " + (running.empty() ? std::string("it") : running) +
            " holds the lock " + name);
    }
    FHolder = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, HolderBytes,
                                   mappingName.c_str());
    if (FHolder != nullptr) {
        if (void* view = ::MapViewOfFile(FHolder, FILE_MAP_WRITE, 0, 0, HolderBytes)) {
            std::memcpy(view, holder.data(), std::min<std::size_t>(holder.size(), HolderBytes - 1));
            ::UnmapViewOfFile(view);
        }
    }
}

TInstanceLock::~TInstanceLock() {
    if (FHolder != nullptr)
        ::CloseHandle(FHolder);
    ::ReleaseMutex(FMutex);
    ::CloseHandle(FMutex);
}

} // namespace kestrune

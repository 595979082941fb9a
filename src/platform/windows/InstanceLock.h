#pragma once
// One copy of a program per user session: a named mutex that lives as long as a process holds
// it, released by the system when the holder ends, however it ends. The holder also publishes
// its name in a small named shared-memory block of the same life, so that a program refused can
// say which one runs.

#include <stdexcept>
#include <string>
#include <windows.h>

namespace kestrune {

class EInstanceLock : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TInstanceLock {
public:
    // Takes the mutex "Local\<name>" and publishes `holder` ("Kestrune, process 1234"); throws
    // EInstanceLock naming the holder when another process holds it, or saying why it could
    // not be made.
    TInstanceLock(const std::string& name, const std::string& holder);
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

private:
    HANDLE FMutex = nullptr;
    HANDLE FHolder = nullptr;
};

// The lock that the window and the station both take: only one of them drives the receiver.
inline constexpr const char* InstanceLockName = "kestrune-station";

} // namespace kestrune

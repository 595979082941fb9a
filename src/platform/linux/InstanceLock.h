#pragma once
// One copy of a program per user: an flock on a file that lives as long as the lock is held.
// Deleting the file or its folder does not release it, and the system releases it when the
// process ends, however it ends. The holder writes its name into the file, so that a program
// refused can say which one runs.

#include <filesystem>
#include <stdexcept>
#include <string>

namespace kestrune {

class EInstanceLock : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TInstanceLock {
public:
    // Takes the lock on the file, creating it, and writes `holder` into it ("Kestrune, process
    // 1234"); throws EInstanceLock naming the file, and the holder when it has written itself,
    // when another process holds it or the file cannot be opened.
    TInstanceLock(const std::filesystem::path& path, const std::string& holder);
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

private:
    int FFd = -1;
};

// The lock that the window and the station both take: only one of them drives the receiver.
inline constexpr const char* InstanceLockName = "kestrune-station";

// "<name>.lock" in the user's runtime folder (RuntimeFolder: $XDG_RUNTIME_DIR, else a folder of
// the user's own under the state folder).
std::filesystem::path RuntimeLockPath(const std::string& name);

} // namespace kestrune

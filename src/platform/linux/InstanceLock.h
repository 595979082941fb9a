#pragma once
// One copy of a program per user: an flock on a file that lives as long as the lock is held.
// Deleting the file or its folder does not release it, and the system releases it when the
// process ends, however it ends.

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
    // Takes the lock on the file, creating it; throws EInstanceLock naming the file when another
    // process holds it or the file cannot be opened.
    explicit TInstanceLock(const std::filesystem::path& path);
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

private:
    int FFd = -1;
};

// "<name>.lock" in the user's runtime folder (RuntimeFolder: $XDG_RUNTIME_DIR, else a folder of
// the user's own under the state folder).
std::filesystem::path RuntimeLockPath(const std::string& name);

} // namespace kestrune

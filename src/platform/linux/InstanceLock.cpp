#include "platform/linux/InstanceLock.h"

#include "platform/linux/Executable.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace kestrune {

namespace {

// What the holder wrote, up to a line; empty when nothing can be read.
std::string ReadHolder(int fd) {
    char text[256];
    const ssize_t size = pread(fd, text, sizeof text, 0);
    if (size <= 0)
        return {};
    const std::string holder(text, static_cast<std::size_t>(size));
    return holder.substr(0, holder.find('\n'));
}

} // namespace

TInstanceLock::TInstanceLock(const std::filesystem::path& path, const std::string& holder) {
    FFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (FFd < 0)
        throw EInstanceLock("cannot open the lock file " + path.string() + ": " +
                            std::generic_category().message(errno));
    if (flock(FFd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        const std::string running = ReadHolder(FFd);
        close(FFd);
        FFd = -1;
        throw EInstanceLock(
            error == EWOULDBLOCK
                ? "another copy is running: " + (running.empty() ? std::string("it") : running) +
                      " holds the lock on " + path.string()
                : "cannot lock " + path.string() + ": " + std::generic_category().message(error));
    }
    // Only the holder writes; when that fails, the lock holds without the name.
    const std::string line = holder + "\n";
    if (ftruncate(FFd, 0) == 0) {
        const ssize_t written = pwrite(FFd, line.data(), line.size(), 0);
        static_cast<void>(written);
    }
}

TInstanceLock::~TInstanceLock() {
    if (FFd >= 0)
        close(FFd);
}

std::filesystem::path RuntimeLockPath(const std::string& name) {
    return RuntimeFolder() / (name + ".lock");
}

} // namespace kestrune

#include "platform/linux/InstanceLock.h"

#include "platform/linux/Executable.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace kestrune {

TInstanceLock::TInstanceLock(const std::filesystem::path& path) {
    FFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (FFd < 0)
        throw EInstanceLock("cannot open the lock file " + path.string() + ": " +
                            std::generic_category().message(errno));
    if (flock(FFd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(FFd);
        FFd = -1;
        throw EInstanceLock(error == EWOULDBLOCK
                                ? "another copy is running: it holds the lock on " + path.string()
                                : "cannot lock " + path.string() + ": " +
                                      std::generic_category().message(error));
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

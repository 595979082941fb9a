#include "platform/linux/LogStream.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrune {

void OpenStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        // open takes the lowest free number, which is this one while the lower ones are open.
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            open("/dev/null", O_RDWR);
    }
}

TLogStream::TLogStream(int fd) : FFd(fd), FFlags(fcntl(fd, F_GETFL)) {
    if (FFlags >= 0)
        fcntl(FFd, F_SETFL, FFlags | O_NONBLOCK);
}

TLogStream::~TLogStream() {
    if (FFlags >= 0)
        fcntl(FFd, F_SETFL, FFlags);
}

bool TLogStream::Flush() {
    while (!FPending.empty()) {
        const ssize_t written = write(FFd, FPending.data(), FPending.size());
        if (written <= 0)
            return false;
        FPending.erase(0, static_cast<std::size_t>(written));
    }
    return true;
}

void TLogStream::WriteLine(const std::string& line) {
    // The rest of a line that went in part goes first, so that no line is cut; while it cannot,
    // new lines are dropped.
    if (!Flush()) {
        ++FDropped;
        return;
    }
    if (FDropped > 0) {
        FPending = "(" + std::to_string(FDropped) + (FDropped == 1 ? " log line" : " log lines") +
                   " dropped: nobody was reading)\n";
        FDropped = 0;
    }
    FPending += line + "\n";
    Flush();
}

bool IsJournalStream(int fd) {
    const char* stream = std::getenv("JOURNAL_STREAM");
    unsigned long long device = 0, inode = 0;
    if (!stream || std::sscanf(stream, "%llu:%llu", &device, &inode) != 2)
        return false;
    struct stat status {};
    return fstat(fd, &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

} // namespace kestrune

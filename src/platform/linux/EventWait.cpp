#include "platform/linux/EventWait.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <string>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace kestrune {

namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

} // namespace

TSignalWatch::TSignalWatch(std::initializer_list<int> signals) {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : signals)
        sigaddset(&set, signal);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
        Fail("Cannot block signals");
    FFd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (FFd < 0)
        Fail("Cannot watch signals");
}

TSignalWatch::~TSignalWatch() {
    close(FFd);
}

std::vector<int> TSignalWatch::Take() {
    std::vector<int> signals;
    signalfd_siginfo info;
    while (read(FFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        signals.push_back(static_cast<int>(info.ssi_signo));
    return signals;
}

TWakeUp::TWakeUp() : FFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (FFd < 0)
        Fail("Cannot make a wake-up descriptor");
}

TWakeUp::~TWakeUp() {
    close(FFd);
}

void TWakeUp::Ring() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(FFd, &one, sizeof one);
}

void TWakeUp::Clear() {
    std::uint64_t count;
    [[maybe_unused]] const ssize_t read = ::read(FFd, &count, sizeof count);
}

void WaitForEvents(const std::vector<TFdWatch>& watches, int timeoutMs) {
    std::vector<pollfd> fds;
    for (const TFdWatch& watch : watches)
        fds.push_back({watch.Fd, static_cast<short>(POLLIN | (watch.WantsWrite ? POLLOUT : 0)), 0});
    if (poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR)
        Fail("Cannot wait for events");
}

} // namespace kestrune

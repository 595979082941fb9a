#include "platform/PseudoTerminal.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

namespace kestrune::test {

TPseudoTerminal::TPseudoTerminal() {
    int terminal = -1;
    char name[256];
    if (openpty(&FMaster, &terminal, name, nullptr, nullptr) < 0) {
        throw std::runtime_error("openpty failed");
    }
    // The port opens the terminal side itself; with no one holding it, the master sees nothing.
    close(terminal);
    fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
    FPath = name;
}

TPseudoTerminal::~TPseudoTerminal() {
    CloseMaster();
}

void TPseudoTerminal::CloseMaster() {
    if (FMaster >= 0) {
        close(FMaster);
        FMaster = -1;
    }
}

bool TPseudoTerminal::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = write(FMaster, bytes.data() + sent, bytes.size() - sent);
        if (count > 0) {
            sent += static_cast<std::size_t>(count);
        } else if (count < 0 && errno == EAGAIN) {
            pollfd fds{FMaster, POLLOUT, 0};
            poll(&fds, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

std::string TPseudoTerminal::Receive(std::size_t count, int timeoutMs) {
    std::string bytes;
    while (bytes.size() < count) {
        pollfd fds{FMaster, POLLIN, 0};
        if (poll(&fds, 1, timeoutMs) <= 0) {
            break;
        }
        char buffer[4096];
        const ssize_t got = read(FMaster, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

} // namespace kestrune::test

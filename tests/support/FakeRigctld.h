#pragma once
// A rig-control server on 127.0.0.1 that records what it receives and answers every line
// "RPRT 0", never answers, or closes every connection.

#include "support/LoopbackServer.h"

#include <atomic>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrune::test {

class TFakeRigctld {
public:
    enum class TMode { Answer, Silent, Close };

    explicit TFakeRigctld(TMode mode) : FMode(mode) {}

    TFakeRigctld(const TFakeRigctld&) = delete;
    TFakeRigctld& operator=(const TFakeRigctld&) = delete;

    std::string Address() const { return FServer.Address(); }
    int Connections() const { return FConnections; }
    std::string Received() const {
        std::lock_guard lock(FMutex);
        return FReceived;
    }

private:
    // Serves one connection at a time until the test ends, never blocking longer than 20 ms.
    void Serve() {
        int client = -1;
        while (!FServer.Stopping()) {
            pollfd watch{client >= 0 ? client : FServer.Listener(), POLLIN, 0};
            if (poll(&watch, 1, 20) <= 0)
                continue;
            if (client < 0) {
                client = accept4(FServer.Listener(), nullptr, nullptr, SOCK_CLOEXEC);
                ++FConnections;
                if (FMode == TMode::Close) {
                    close(client);
                    client = -1;
                }
                continue;
            }
            char buffer[512];
            const ssize_t n = read(client, buffer, sizeof buffer);
            if (n <= 0) {
                close(client);
                client = -1;
                continue;
            }
            std::lock_guard lock(FMutex);
            FReceived.append(buffer, static_cast<std::size_t>(n));
            if (FMode != TMode::Answer)
                continue;
            for (ssize_t i = 0; i < n; ++i)
                if (buffer[i] == '\n' && write(client, "RPRT 0\n", 7) != 7)
                    break;
        }
        if (client >= 0)
            close(client);
    }

    TMode FMode;
    std::atomic<int> FConnections{0};
    mutable std::mutex FMutex;
    std::string FReceived;
    // Last: its thread ends before the members it uses go.
    TLoopbackServer FServer{[this] { Serve(); }};
};

} // namespace kestrune::test

#pragma once
// A TCP server on 127.0.0.1, at a port the system picks, whose connections a test serves on a
// thread of its own until the object goes. The serving function loops until Stopping() and
// never blocks long (poll with a short timeout).

#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace kestrune::test {

class TLoopbackServer {
public:
    explicit TLoopbackServer(std::function<void()> serve) {
        FListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (FListener < 0 || bind(FListener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(FListener, 8) != 0 ||
            getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            if (FListener >= 0)
                close(FListener);
            throw std::runtime_error("cannot start a server on 127.0.0.1");
        }
        FPort = ntohs(address.sin_port);
        FThread = std::thread(std::move(serve));
    }
    ~TLoopbackServer() {
        FStop = true;
        FThread.join();
        close(FListener);
    }
    TLoopbackServer(const TLoopbackServer&) = delete;
    TLoopbackServer& operator=(const TLoopbackServer&) = delete;

    int Listener() const { return FListener; }
    bool Stopping() const { return FStop; }
    // "127.0.0.1:<port>".
    std::string Address() const { return "127.0.0.1:" + std::to_string(FPort); }

private:
    int FListener = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

} // namespace kestrune::test

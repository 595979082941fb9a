#include "platform/linux/RigctlTransport.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace kestrune {

namespace {

class TAddressInfo {
public:
    TAddressInfo() = default;
    ~TAddressInfo() {
        if (FInfo)
            freeaddrinfo(FInfo);
    }
    TAddressInfo(const TAddressInfo&) = delete;
    TAddressInfo& operator=(const TAddressInfo&) = delete;
    addrinfo** Out() { return &FInfo; }
    const addrinfo* Get() const { return FInfo; }

private:
    addrinfo* FInfo = nullptr;
};

} // namespace

void TRigctlTransport::Fail(const std::string& reason) const {
    throw ERigControl("the rig-control server at " + FAddress + " " + reason);
}

void TRigctlTransport::Wait(short events, TDeadline deadline, int timeoutMs) const {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd watch{FSocket.Get(), events, 0};
        const int ready = left > 0 ? poll(&watch, 1, static_cast<int>(left)) : 0;
        if (ready > 0)
            return;
        if (ready == 0)
            Fail("did not answer within " + std::to_string(timeoutMs) + " ms");
        if (errno != EINTR)
            Fail(std::string("cannot be waited for: ") + std::strerror(errno));
    }
}

void TRigctlTransport::Connect(TDeadline deadline, int timeoutMs) {
    const auto [host, port] = SplitRigAddress(FAddress);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    TAddressInfo info;
    if (const int error = getaddrinfo(host.c_str(), port.c_str(), &hints, info.Out()); error != 0)
        Fail(std::string("is not a numeric host:port (") + gai_strerror(error) + ")");
    const addrinfo& target = *info.Get();
    FSocket.Reset(socket(target.ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!FSocket.Valid())
        Fail(std::string("cannot be reached: ") + std::strerror(errno));
    const int noDelay = 1;
    setsockopt(FSocket.Get(), IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    if (connect(FSocket.Get(), target.ai_addr, target.ai_addrlen) != 0) {
        if (errno != EINPROGRESS)
            Fail(std::string("cannot be reached: ") + std::strerror(errno));
        Wait(POLLOUT, deadline, timeoutMs);
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(FSocket.Get(), SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0)
            Fail(std::string("cannot be reached: ") + std::strerror(error));
    }
}

std::vector<std::string> TRigctlTransport::Transact(const std::vector<std::string>& lines,
                                                    int timeoutMs) {
    const TDeadline deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    try {
        if (!FSocket.Valid())
            Connect(deadline, timeoutMs);
        std::string request;
        for (const std::string& line : lines)
            request += line + "\n";
        for (std::size_t sent = 0; sent < request.size();) {
            Wait(POLLOUT, deadline, timeoutMs);
            const ssize_t n =
                send(FSocket.Get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                Fail(std::string("cannot be written to: ") + std::strerror(errno));
            sent += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        return ReadRigAnswers(lines.size(), FAddress, [&] {
            Wait(POLLIN, deadline, timeoutMs);
            char buffer[512];
            const ssize_t n = recv(FSocket.Get(), buffer, sizeof buffer, 0);
            if (n == 0)
                Fail("closed the connection");
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                Fail(std::string("cannot be read from: ") + std::strerror(errno));
            if (n > 0)
                return std::string(buffer, static_cast<std::size_t>(n));
            return std::string();
        });
    } catch (const ERigControl&) {
        FSocket.Reset();
        throw;
    }
}

} // namespace kestrune

#include "platform/windows/RigctlTransport.h"

#include "platform/windows/WideText.h"

#include <ws2tcpip.h>

namespace kestrune {

namespace {

std::string SocketError() {
    return SystemErrorText(static_cast<unsigned long>(::WSAGetLastError()));
}

} // namespace

TRigctlTransport::TRigctlTransport(std::string address) : FAddress(std::move(address)) {
    WSADATA data;
    FStarted = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

TRigctlTransport::~TRigctlTransport() {
    Disconnect();
    if (FStarted)
        ::WSACleanup();
}

void TRigctlTransport::Disconnect() {
    if (FSocket != INVALID_SOCKET)
        ::closesocket(FSocket);
    FSocket = INVALID_SOCKET;
}

void TRigctlTransport::Fail(const std::string& reason) const {
    throw ERigControl("the rig-control server at " + FAddress + " " + reason);
}

void TRigctlTransport::Wait(bool write, TDeadline deadline, int timeoutMs) const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    WSAPOLLFD watch{FSocket, static_cast<SHORT>(write ? POLLWRNORM : POLLRDNORM), 0};
    const int ready = left > 0 ? ::WSAPoll(&watch, 1, static_cast<INT>(left)) : 0;
    if (ready == 0)
        Fail("did not answer within " + std::to_string(timeoutMs) + " ms");
    if (ready < 0)
        Fail("cannot be waited for: " + SocketError());
}

void TRigctlTransport::Connect(TDeadline deadline, int timeoutMs) {
    if (!FStarted)
        Fail("cannot be reached: Winsock did not start");
    const auto [host, port] = SplitRigAddress(FAddress);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* info = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &info) != 0)
        Fail("is not a numeric host:port (" + SocketError() + ")");
    const addrinfo target = *info;
    FSocket = ::socket(target.ai_family, SOCK_STREAM, IPPROTO_TCP);
    if (FSocket == INVALID_SOCKET) {
        ::freeaddrinfo(info);
        Fail("cannot be reached: " + SocketError());
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(FSocket, FIONBIO, &nonBlocking);
    const BOOL noDelay = TRUE;
    ::setsockopt(FSocket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                 sizeof noDelay);
    const int connected = ::connect(FSocket, target.ai_addr, static_cast<int>(target.ai_addrlen));
    const int error = connected == 0 ? 0 : ::WSAGetLastError();
    ::freeaddrinfo(info);
    if (error != 0 && error != WSAEWOULDBLOCK)
        Fail("cannot be reached: " + SystemErrorText(static_cast<unsigned long>(error)));
    if (error == WSAEWOULDBLOCK) {
        Wait(true, deadline, timeoutMs);
        int result = 0;
        int size = sizeof result;
        ::getsockopt(FSocket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &size);
        if (result != 0)
            Fail("cannot be reached: " + SystemErrorText(static_cast<unsigned long>(result)));
    }
}

std::vector<std::string> TRigctlTransport::Transact(const std::vector<std::string>& lines,
                                                    int timeoutMs) {
    const TDeadline deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    try {
        if (FSocket == INVALID_SOCKET)
            Connect(deadline, timeoutMs);
        std::string request;
        for (const std::string& line : lines)
            request += line + "\n";
        for (std::size_t sent = 0; sent < request.size();) {
            Wait(true, deadline, timeoutMs);
            const int n =
                ::send(FSocket, request.data() + sent, static_cast<int>(request.size() - sent), 0);
            if (n == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK)
                Fail("cannot be written to: " + SocketError());
            sent += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        return ReadRigAnswers(lines.size(), FAddress, [&] {
            Wait(false, deadline, timeoutMs);
            char buffer[512];
            const int n = ::recv(FSocket, buffer, sizeof buffer, 0);
            if (n == 0)
                Fail("closed the connection");
            if (n == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK)
                Fail("cannot be read from: " + SocketError());
            if (n > 0)
                return std::string(buffer, static_cast<std::size_t>(n));
            return std::string();
        });
    } catch (const ERigControl&) {
        Disconnect();
        throw;
    }
}

} // namespace kestrune

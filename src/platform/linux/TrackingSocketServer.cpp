#include "platform/linux/TrackingSocketServer.h"

#include "platform/linux/Executable.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace kestrune {

namespace {

constexpr std::string_view StartFailure = "Cannot start the tracking server: ";
// How much one service round reads from one client, so that a flood cannot hold the GUI thread.
constexpr std::size_t MaxReadPerService = 64 * 1024;

[[noreturn]] void FailStart(const std::string& reason) {
    throw ETrackingServer(std::string(StartFailure) + reason);
}

std::string SystemError(int error) {
    return std::strerror(error);
}

int NewSocket() {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        FailStart("cannot create a socket: " + SystemError(errno));
    return fd;
}

// The folder, made or checked: the user's own, nobody else's way in.
void PrepareFolder(const std::filesystem::path& folder) {
    const std::string name = folder.string();
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        FailStart("cannot create the folder " + name + ": " + SystemError(errno));
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0)
        FailStart("cannot use the folder " + name + ": " + SystemError(errno));
    if (!S_ISDIR(info.st_mode))
        FailStart(name + " is not a folder");
    if (info.st_uid != geteuid())
        FailStart("the folder " + name + " belongs to another user");
    // mkdir is subject to the umask, and an older folder may be open to others.
    if ((info.st_mode & 07777) != 0700 && chmod(folder.c_str(), 0700) != 0)
        FailStart("cannot set the mode of the folder " + name + ": " + SystemError(errno));
}

} // namespace

std::filesystem::path TTrackingSocketServer::DefaultSocketFolder(const std::string& serviceName) {
    return RuntimeFolder() / serviceName;
}

TTrackingSocketServer::TTrackingSocketServer(std::string serviceName, TLocaleInfo locale,
                                             const std::filesystem::path& folder,
                                             std::optional<unsigned> peerUid)
    : FLocale(std::move(locale)), FPeerUid(peerUid.value_or(geteuid())),
      FSocketPath(folder / SocketName), FProtocol(std::move(serviceName), *this) {
    PrepareFolder(folder);
    Listen();
}

TTrackingSocketServer::~TTrackingSocketServer() {
    for (const auto& entry : FClients)
        close(entry.first);
    close(FListenFd);
    // A later copy may have replaced the socket; its file is not ours to remove.
    struct stat info {};
    if (lstat(FSocketPath.c_str(), &info) == 0 && info.st_ino == FSocketInode)
        unlink(FSocketPath.c_str());
}

void TTrackingSocketServer::Listen() {
    const std::string path = FSocketPath.string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        FailStart(path + " is too long for a socket address");
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const auto* generic = reinterpret_cast<const sockaddr*>(&address);

    for (bool replaced = false;; replaced = true) {
        TUniqueFd listener(NewSocket());
        if (bind(listener.Get(), generic, sizeof(address)) == 0) {
            if (listen(listener.Get(), SOMAXCONN) != 0)
                FailStart("cannot listen on " + path + ": " + SystemError(errno));
            struct stat info {};
            if (lstat(path.c_str(), &info) == 0)
                FSocketInode = info.st_ino;
            FListenFd = listener.Release();
            return;
        }
        if (errno != EADDRINUSE || replaced)
            FailStart("cannot bind " + path + ": " + SystemError(errno));
        struct stat info {};
        if (lstat(path.c_str(), &info) == 0 && !S_ISSOCK(info.st_mode))
            FailStart(path + " is in the way and is not a socket");
        // Something is there: a running copy answers, a socket left behind by a crash refuses.
        const TUniqueFd probe(NewSocket());
        if (connect(probe.Get(), generic, sizeof(address)) == 0 || errno == EAGAIN)
            FailStart(path + " is served by another running copy of " + FProtocol.ServiceName());
        if (errno != ECONNREFUSED && errno != ENOENT)
            FailStart("cannot check " + path + ": " + SystemError(errno));
        if (unlink(path.c_str()) != 0 && errno != ENOENT)
            FailStart("cannot replace " + path + ": " + SystemError(errno));
    }
}

void TTrackingSocketServer::SetItemText(const std::string& text) {
    FProtocol.Publish(FLocale.ToSystemCharset(text));
    Flush();
}

std::vector<TTrackingSocketServer::TWatch> TTrackingSocketServer::Watches() const {
    std::vector<TWatch> watches;
    if (!AcceptHeldOff())
        watches.push_back({FListenFd, false});
    for (const auto& [fd, client] : FClients)
        watches.push_back({fd, !client.Output.empty()});
    return watches;
}

void TTrackingSocketServer::Service() {
    Accept();
    for (auto& [fd, client] : FClients)
        if (!client.Closing)
            Read(fd);
    DropSilentClients();
    Flush();
}

void TTrackingSocketServer::DropSilentClients() {
    const auto now = std::chrono::steady_clock::now();
    for (auto& [fd, client] : FClients) {
        if (client.Closing || FProtocol.Connected(fd) || now - client.Accepted < FConnectTimeout)
            continue;
        client.Output += "NACK no CONNECT\n";
        client.Closing = true;
    }
}

void TTrackingSocketServer::Poll(int timeoutMs) {
    std::vector<pollfd> fds;
    for (const TWatch& watch : Watches())
        fds.push_back({watch.Fd, static_cast<short>(POLLIN | (watch.WantsWrite ? POLLOUT : 0)), 0});
    // An interrupted wait only means servicing earlier.
    poll(fds.data(), fds.size(), timeoutMs);
    Service();
}

void TTrackingSocketServer::ServeFor(std::chrono::milliseconds duration) {
    using TClock = std::chrono::steady_clock;
    const TClock::time_point deadline = TClock::now() + duration;
    for (TClock::time_point now = TClock::now(); now < deadline; now = TClock::now())
        Poll(
            static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count()));
}

bool TTrackingSocketServer::AcceptHeldOff() const {
    return FAcceptAfter && std::chrono::steady_clock::now() < *FAcceptAfter;
}

void TTrackingSocketServer::Accept() {
    if (AcceptHeldOff())
        return;
    FAcceptAfter.reset();
    for (;;) {
        const int fd = accept4(FListenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                FAcceptAfter = std::chrono::steady_clock::now() + AcceptBackoff;
            return;
        }
        ucred peer{};
        socklen_t size = sizeof(peer);
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != FPeerUid) {
            // Told why, then closed; the protocol never sees it.
            FClients[fd] = TClient{"NACK permission denied\n", true};
            continue;
        }
        FClients[fd] = TClient{};
        FProtocol.AddClient(fd);
    }
}

void TTrackingSocketServer::Read(int fd) {
    char buffer[4096];
    for (std::size_t total = 0; total < MaxReadPerService;) {
        const ssize_t count = recv(fd, buffer, sizeof(buffer), 0);
        if (count > 0) {
            total += static_cast<std::size_t>(count);
            FProtocol.Receive(fd, std::string_view(buffer, static_cast<std::size_t>(count)));
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        // The client has gone (or hung up its sending side): answer what it sent, then close.
        Close(fd);
        return;
    }
}

void TTrackingSocketServer::Send(int clientId, std::string_view line) {
    TClient& client = FClients[clientId];
    if (client.Closing)
        return;
    if (client.Output.size() + line.size() > MaxOutputBytes) {
        // Too far behind: dropped rather than allowed to hold up everyone else.
        client.Output.clear();
        client.Closing = true;
        return;
    }
    client.Output.append(line);
}

void TTrackingSocketServer::Close(int clientId) {
    FClients[clientId].Closing = true;
}

void TTrackingSocketServer::Flush() {
    for (auto it = FClients.begin(); it != FClients.end();) {
        auto& [fd, client] = *it;
        while (!client.Output.empty()) {
            const ssize_t count =
                send(fd, client.Output.data(), client.Output.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0) {
                if (errno != EAGAIN)
                    client.Closing = true; // nobody reads any more
                break;
            }
            client.Output.erase(0, static_cast<std::size_t>(count));
        }
        if (!client.Closing) {
            ++it;
            continue;
        }
        FProtocol.RemoveClient(fd);
        close(fd);
        it = FClients.erase(it);
    }
}

} // namespace kestrune

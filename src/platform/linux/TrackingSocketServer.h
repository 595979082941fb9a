#pragma once
// The tracking server on Linux: a Unix-domain stream socket in the user's runtime folder that
// speaks the line protocol of TrackingProtocol.h (docs/tracking.md). It runs on the GUI thread
// and has no thread of its own: whoever drives it watches Watches() and calls Service(), or
// lets Poll()/ServeFor() do both.

#include "core/LocaleInfo.h"
#include "core/TrackingProtocol.h"
#include "core/TrackingServer.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrune {

// The server could not start; the text names the socket and the reason.
class ETrackingServer : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TTrackingSocketServer final : public ITrackingServer, private ITrackingPeers {
public:
    static constexpr std::size_t MaxOutputBytes = 64 * 1024; // a client further behind is dropped
    static constexpr std::string_view SocketName = "Tracking.sock";
    // How long the server stops accepting when the process has no descriptor left: the waiting
    // client stays queued, and the listener is not watched meanwhile, so nobody spins on it.
    static constexpr std::chrono::milliseconds AcceptBackoff{1000};

    // The folder of the service's socket: <runtime folder>/<service> (RuntimeFolder:
    // $XDG_RUNTIME_DIR, else a folder of the user's own under the state folder).
    static std::filesystem::path DefaultSocketFolder(const std::string& serviceName);

    // Creates the folder (mode 0700) and listens on its socket, replacing one left behind by a
    // crash. Throws ETrackingServer when the folder is not the user's own or another running
    // copy serves the socket. Clients of any user but peerUid (default: this process's user)
    // are refused.
    TTrackingSocketServer(std::string serviceName, TLocaleInfo locale,
                          const std::filesystem::path& folder,
                          std::optional<unsigned> peerUid = std::nullopt);
    // Closes every connection and removes the socket file if it is still this server's.
    ~TTrackingSocketServer() override;
    TTrackingSocketServer(const TTrackingSocketServer&) = delete;
    TTrackingSocketServer& operator=(const TTrackingSocketServer&) = delete;

    // UTF-8 text, sent out in the locale's character set.
    void SetItemText(const std::string& text) override;

    struct TWatch {
        int Fd;
        bool WantsWrite;
    };
    // The descriptors to watch for reading (all, the listener unless accepting is held off) and
    // writing (those with output waiting). Read it again after every call of SetItemText or
    // Service.
    std::vector<TWatch> Watches() const;
    // Does everything that can be done without waiting: accepts, reads and answers, writes,
    // drops stuck clients and closes the finished ones.
    void Service();
    // Waits up to timeoutMs for something to do, then services once.
    void Poll(int timeoutMs);
    // Polls and services until the time has passed.
    void ServeFor(std::chrono::milliseconds duration);

    // A client that has not said CONNECT this long after connecting is dropped, so that it
    // does not hold one of the few places for ever.
    void SetConnectTimeout(std::chrono::milliseconds timeout) { FConnectTimeout = timeout; }

    const std::filesystem::path& SocketPath() const { return FSocketPath; }
    std::size_t ClientCount() const { return FClients.size(); }

private:
    struct TClient {
        std::string Output;
        bool Closing = false;
        std::chrono::steady_clock::time_point Accepted = std::chrono::steady_clock::now();
    };

    void Send(int clientId, std::string_view line) override;
    void Close(int clientId) override;
    void Listen();
    void Accept();
    bool AcceptHeldOff() const;
    void Read(int fd);
    void Flush();
    void DropSilentClients();

    TLocaleInfo FLocale;
    std::chrono::milliseconds FConnectTimeout{5000};
    unsigned FPeerUid;
    std::filesystem::path FSocketPath;
    int FListenFd = -1;
    // Until when accepting is held off after the descriptors ran out.
    std::optional<std::chrono::steady_clock::time_point> FAcceptAfter;
    unsigned long FSocketInode = 0;
    std::map<int, TClient> FClients;
    TTrackingProtocol FProtocol;
};

} // namespace kestrune

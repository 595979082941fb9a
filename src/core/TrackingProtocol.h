#pragma once
// The line protocol of the tracking server, without sockets: what each client line means and
// which lines go back, to that client and to the linked ones. The socket server feeds it the
// bytes it reads and carries out what it asks for through ITrackingPeers. Texts here are the
// bytes that go over the wire, already in the clients' character set.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// What the protocol asks of the transport.
class ITrackingPeers {
public:
    virtual ~ITrackingPeers() = default;
    // Queues one whole line (its LF included) for the client.
    virtual void Send(int clientId, std::string_view line) = 0;
    // Ends the client's connection once what is queued for it has gone out, as far as it can.
    // Neither call may call back into the protocol.
    virtual void Close(int clientId) = 0;
};

class TTrackingProtocol {
public:
    static constexpr std::size_t MaxLineBytes = 4096; // without the line end
    static constexpr std::size_t MaxClients = 32;
    static constexpr std::string_view Topic = "Tracking";
    static constexpr std::string_view Item = "Data";

    TTrackingProtocol(std::string serviceName, ITrackingPeers& peers);

    const std::string& ServiceName() const { return FServiceName; }

    // A new connection. Beyond MaxClients it gets "NACK too many clients", is closed and
    // false comes back; the caller still calls RemoveClient when it has gone.
    bool AddClient(int clientId);
    void RemoveClient(int clientId);
    // Bytes as they came from the client, split anywhere.
    void Receive(int clientId, std::string_view bytes);
    // Replaces the item's text with the text's first line (up to a CR, LF or zero byte) and
    // sends one update to every link.
    void Publish(std::string_view text);

    // Whether the client has said CONNECT and been answered OK.
    bool Connected(int clientId) const;

    // Nothing before the first publish.
    const std::optional<std::string>& ItemText() const { return FItemText; }
    std::size_t ClientCount() const { return FClients.size(); }

private:
    enum class TLink { None, Hot, Warm };
    struct TClient {
        bool Connected = false;
        bool Closed = false;
        bool SkippingLongLine = false;
        TLink Link = TLink::None;
        std::string Pending; // the start of a line whose LF has not come yet
    };

    void HandleLine(int clientId, TClient& client, std::string_view line);
    void HandleConnect(int clientId, TClient& client, const std::vector<std::string_view>& words);
    void HandleRequest(int clientId, const std::vector<std::string_view>& words);
    void HandleAdvise(int clientId, TClient& client, const std::vector<std::string_view>& words);
    void HandleUnadvise(int clientId, TClient& client, const std::vector<std::string_view>& words);
    void HandlePoke(int clientId, std::string_view arguments);
    // The reason a link on or a poke of the item would be refused; empty when it is fine.
    std::string_view RefusalFor(std::string_view item, std::string_view format) const;
    void Answer(int clientId, std::string_view line);
    void Nack(int clientId, std::string_view reason);
    void Refuse(int clientId, TClient& client, std::string_view reason);

    std::string FServiceName;
    ITrackingPeers& FPeers;
    std::optional<std::string> FItemText;
    std::map<int, TClient> FClients;
};

} // namespace kestrune

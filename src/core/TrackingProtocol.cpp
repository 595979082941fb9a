#include "core/TrackingProtocol.h"

#include "core/Text.h"

#include <algorithm>

namespace kestrune {

namespace {

constexpr std::string_view DefaultFormat = "CF_TEXT";
constexpr std::string_view Wildcard = "*";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text up to the first blank, and what follows that one blank.
std::pair<std::string_view, std::string_view> SplitFirst(std::string_view text) {
    const std::size_t blank = std::find_if(text.begin(), text.end(), IsBlank) - text.begin();
    if (blank == text.size())
        return {text, {}};
    return {text.substr(0, blank), text.substr(blank + 1)};
}

// The words of the text, blanks of any number between them.
std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    while (!text.empty()) {
        if (IsBlank(text.front())) {
            text.remove_prefix(1);
            continue;
        }
        auto [word, rest] = SplitFirst(text);
        words.push_back(word);
        text = rest;
    }
    return words;
}

} // namespace

TTrackingProtocol::TTrackingProtocol(std::string serviceName, ITrackingPeers& peers)
    : FServiceName(std::move(serviceName)), FPeers(peers) {}

bool TTrackingProtocol::AddClient(int clientId) {
    TClient& client = FClients[clientId] = TClient{};
    if (FClients.size() <= MaxClients)
        return true;
    Refuse(clientId, client, "too many clients");
    return false;
}

bool TTrackingProtocol::Connected(int clientId) const {
    const auto it = FClients.find(clientId);
    return it != FClients.end() && it->second.Connected;
}

void TTrackingProtocol::RemoveClient(int clientId) {
    FClients.erase(clientId);
}

void TTrackingProtocol::Receive(int clientId, std::string_view bytes) {
    const auto found = FClients.find(clientId);
    if (found == FClients.end())
        return;
    TClient& client = found->second;
    // A line may end in CR LF, so one byte more than the longest line may stand before the LF.
    constexpr std::size_t MaxRawBytes = MaxLineBytes + 1;
    while (!bytes.empty() && !client.Closed) {
        const std::size_t lineFeed = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, lineFeed);
        bytes.remove_prefix(std::min(bytes.size(), piece.size() + 1));
        const bool tooLong = client.Pending.size() + piece.size() > MaxRawBytes;
        if (lineFeed == std::string_view::npos) {
            if (client.SkippingLongLine)
                return;
            if (tooLong) {
                client.Pending.clear();
                client.SkippingLongLine = true;
                Nack(clientId, "line too long");
            } else {
                client.Pending.append(piece);
            }
            return;
        }
        if (client.SkippingLongLine) {
            client.SkippingLongLine = false;
            continue;
        }
        std::string line = std::move(client.Pending);
        client.Pending.clear();
        if (!tooLong)
            line.append(piece);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (tooLong || line.size() > MaxLineBytes)
            Nack(clientId, "line too long");
        else
            HandleLine(clientId, client, line);
    }
}

void TTrackingProtocol::Publish(std::string_view text) {
    // The item holds one line; text data also ends at a zero byte, as a clipboard text does.
    FItemText = std::string(text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3))));
    const std::string data = "DATA " + std::string(Item) + " " + *FItemText + "\n";
    const std::string changed = "CHANGED " + std::string(Item) + "\n";
    for (const auto& [id, client] : FClients) {
        if (client.Closed || client.Link == TLink::None)
            continue;
        FPeers.Send(id, client.Link == TLink::Hot ? data : changed);
    }
}

void TTrackingProtocol::HandleLine(int clientId, TClient& client, std::string_view line) {
    const auto [command, arguments] = SplitFirst(line);
    if (SameTextAscii(command, "CONNECT"))
        return HandleConnect(clientId, client, Words(arguments));
    if (!client.Connected) {
        const bool known = SameTextAscii(command, "REQUEST") || SameTextAscii(command, "ADVISE") ||
                           SameTextAscii(command, "UNADVISE") || SameTextAscii(command, "POKE") ||
                           SameTextAscii(command, "EXECUTE");
        return Nack(clientId, known ? "not connected" : "unknown command");
    }
    if (SameTextAscii(command, "REQUEST"))
        return HandleRequest(clientId, Words(arguments));
    if (SameTextAscii(command, "ADVISE"))
        return HandleAdvise(clientId, client, Words(arguments));
    if (SameTextAscii(command, "UNADVISE"))
        return HandleUnadvise(clientId, client, Words(arguments));
    if (SameTextAscii(command, "POKE"))
        return HandlePoke(clientId, arguments);
    if (SameTextAscii(command, "EXECUTE"))
        return Answer(clientId, "ACK"); // commands are acknowledged and ignored
    Nack(clientId, "unknown command");
}

void TTrackingProtocol::HandleConnect(int clientId, TClient& client,
                                      const std::vector<std::string_view>& words) {
    if (client.Connected)
        return Nack(clientId, "already connected");
    if (words.size() < 2)
        return Refuse(clientId, client, "no topic");
    if (words[0] != Wildcard && !SameTextAscii(words[0], FServiceName))
        return Refuse(clientId, client, "unknown service");
    if (words.size() > 2 || !SameTextAscii(words[1], Topic))
        return Refuse(clientId, client, "unknown topic");
    client.Connected = true;
    Answer(clientId, "OK " + FServiceName + " " + std::string(Topic));
}

void TTrackingProtocol::HandleRequest(int clientId, const std::vector<std::string_view>& words) {
    if (words.empty())
        return Nack(clientId, "no item");
    if (words.size() > 2)
        return Nack(clientId, "too many arguments");
    const std::string_view format = words.size() > 1 ? words[1] : DefaultFormat;
    if (words[0] == Item && SameTextAscii(format, DefaultFormat))
        return Answer(clientId, "DATA " + std::string(Item) + " " + FItemText.value_or(""));
    Answer(clientId, "NODATA " + std::string(words[0]));
}

void TTrackingProtocol::HandleAdvise(int clientId, TClient& client,
                                     const std::vector<std::string_view>& words) {
    if (words.empty())
        return Nack(clientId, "no item");
    std::size_t next = 1;
    TLink link = TLink::Hot;
    if (next < words.size() &&
        (SameTextAscii(words[next], "HOT") || SameTextAscii(words[next], "WARM")))
        link = SameTextAscii(words[next++], "HOT") ? TLink::Hot : TLink::Warm;
    const std::string_view format = next < words.size() ? words[next++] : DefaultFormat;
    if (next < words.size())
        return Nack(clientId, "too many arguments");
    if (const std::string_view refusal = RefusalFor(words[0], format); !refusal.empty())
        return Nack(clientId, refusal);
    client.Link = link;
    Answer(clientId, "ACK");
}

void TTrackingProtocol::HandleUnadvise(int clientId, TClient& client,
                                       const std::vector<std::string_view>& words) {
    if (words.empty())
        return Nack(clientId, "no item");
    if (words.size() > 1)
        return Nack(clientId, "too many arguments");
    if (words[0] != Item)
        return Nack(clientId, "no such item");
    if (client.Link == TLink::None)
        return Nack(clientId, "no link");
    client.Link = TLink::None;
    Answer(clientId, "ACK");
}

void TTrackingProtocol::HandlePoke(int clientId, std::string_view arguments) {
    const auto [item, text] = SplitFirst(arguments);
    if (item.empty())
        return Nack(clientId, "no item");
    if (const std::string_view refusal = RefusalFor(item, DefaultFormat); !refusal.empty())
        return Nack(clientId, refusal);
    Publish(text);
    Answer(clientId, "ACK");
}

std::string_view TTrackingProtocol::RefusalFor(std::string_view item,
                                               std::string_view format) const {
    if (item != Item)
        return "no such item";
    if (!SameTextAscii(format, DefaultFormat))
        return "format not supported";
    return {};
}

void TTrackingProtocol::Answer(int clientId, std::string_view line) {
    std::string whole(line);
    whole += '\n';
    FPeers.Send(clientId, whole);
}

void TTrackingProtocol::Nack(int clientId, std::string_view reason) {
    Answer(clientId, "NACK " + std::string(reason));
}

void TTrackingProtocol::Refuse(int clientId, TClient& client, std::string_view reason) {
    Nack(clientId, reason);
    client.Closed = true;
    FPeers.Close(clientId);
}

} // namespace kestrune

// Arbitrary bytes from one client, split at arbitrary points, mixed with publishes and
// reconnects. A second client holds a hot link throughout: all it may ever receive is the
// item's data, once for every change of the item. The fuzzed client gets only well-formed
// answers, no more than two for each line it sends, and nothing once it has been closed.

#include "core/TrackingProtocol.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

using kestrune::ITrackingPeers;
using kestrune::TTrackingProtocol;

constexpr int Fuzzed = 1;
constexpr int Watcher = 2;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "tracking fuzzer: %s\n", what);
        std::abort();
    }
}

bool StartsWith(const std::string& text, std::string_view start) {
    return text.compare(0, start.size(), start) == 0;
}

class TPeers : public ITrackingPeers {
public:
    void Send(int clientId, std::string_view line) override {
        Check(!line.empty() && line.back() == '\n' && line.find('\n') == line.size() - 1,
              "a sent line is not one line");
        Check(!Closed[clientId], "a line was sent to a closed client");
        Lines[clientId].emplace_back(line.substr(0, line.size() - 1));
    }
    void Close(int clientId) override {
        Check(clientId == Fuzzed, "the well-behaved client was closed");
        Closed[clientId] = true;
    }

    std::map<int, std::vector<std::string>> Lines;
    std::map<int, bool> Closed;
};

bool IsAnswer(const std::string& line) {
    for (std::string_view start :
         {"OK Kestrune Tracking", "DATA Data ", "CHANGED Data", "NODATA ", "ACK", "NACK "})
        if (StartsWith(line, start))
            return line.size() <= TTrackingProtocol::MaxLineBytes + 16;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    TPeers peers;
    TTrackingProtocol protocol("Kestrune", peers);
    protocol.AddClient(Watcher);
    protocol.Receive(Watcher, "CONNECT * tracking\r\nADVISE Data HOT CF_TEXT\n");
    Check(peers.Lines[Watcher] == std::vector<std::string>{"OK Kestrune Tracking", "ACK"},
          "the well-behaved client was not linked");
    peers.Lines[Watcher].clear();
    protocol.AddClient(Fuzzed);

    while (input.remaining_bytes() > 0) {
        const std::optional<std::string> textBefore = protocol.ItemText();
        const std::size_t watcherBefore = peers.Lines[Watcher].size();
        const std::size_t fuzzedBefore = peers.Lines[Fuzzed].size();
        std::size_t lineEnds = 0;
        switch (input.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
            protocol.Publish(input.ConsumeRandomLengthString(256));
            break;
        case 1:
            protocol.RemoveClient(Fuzzed);
            peers.Closed[Fuzzed] = false;
            protocol.AddClient(Fuzzed);
            break;
        default: {
            const std::string bytes = input.ConsumeRandomLengthString(3 * 4096);
            lineEnds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
            protocol.Receive(Fuzzed, bytes);
        }
        }

        const std::vector<std::string>& watcher = peers.Lines[Watcher];
        for (std::size_t i = watcherBefore; i < watcher.size(); ++i)
            Check(StartsWith(watcher[i], "DATA Data "),
                  "the well-behaved client got something other than the item's data");
        if (watcher.size() > watcherBefore)
            Check(watcher.back() == "DATA Data " + protocol.ItemText().value_or("~"),
                  "the last update to the link is not the item's text");
        else
            Check(protocol.ItemText() == textBefore, "the item changed without an update");

        const std::vector<std::string>& fuzzed = peers.Lines[Fuzzed];
        Check(fuzzed.size() - fuzzedBefore <= 2 * lineEnds + 2,
              "more answers than the lines sent call for");
        for (std::size_t i = fuzzedBefore; i < fuzzed.size(); ++i)
            Check(IsAnswer(fuzzed[i]), "an answer of an unknown kind or length");
    }
    return 0;
}

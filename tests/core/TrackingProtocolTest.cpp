#include "core/TrackingProtocol.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

// Keeps what the protocol sends, one string per client, and which clients it closed.
class TRecordingPeers : public ITrackingPeers {
public:
    void Send(int clientId, std::string_view line) override { Sent[clientId] += line; }
    void Close(int clientId) override { Closed.push_back(clientId); }

    std::map<int, std::string> Sent;
    std::vector<int> Closed;
};

class TrackingProtocol : public testing::Test {
protected:
    TrackingProtocol() {
        Protocol.AddClient(1);
        Protocol.Receive(1, "CONNECT Kestrune Tracking\n");
        Peers.Sent.clear();
    }

    TRecordingPeers Peers;
    TTrackingProtocol Protocol{"Kestrune", Peers};
};

// Bytes may come one at a time and lines may end in CR LF.
TEST_F(TrackingProtocol, LinesSplitAnywhere) {
    for (char c : std::string_view("EXEC"))
        Protocol.Receive(1, std::string(1, c));
    EXPECT_EQ(Peers.Sent[1], "");
    Protocol.Receive(1, "UTE x\r");
    Protocol.Receive(1, "\nREQUEST Data\nREQ");
    EXPECT_EQ(Peers.Sent[1], "ACK\nDATA Data \n");
    Protocol.Receive(1, "UEST data\n");
    EXPECT_EQ(Peers.Sent[1], "ACK\nDATA Data \nNODATA data\n");
}

// 4096 bytes before the line end are a line, one more is too long, however the bytes come;
// the rest of a long line is skipped and the next line is handled.
TEST_F(TrackingProtocol, LongestLine) {
    const std::string longest = "EXECUTE " + std::string(TTrackingProtocol::MaxLineBytes - 8, 'x');
    Protocol.Receive(1, longest + "\n");
    Protocol.Receive(1, longest + "\r\n");
    EXPECT_EQ(Peers.Sent[1], "ACK\nACK\n");
    Peers.Sent.clear();

    Protocol.Receive(1, longest + "y\n");
    Protocol.Receive(1, longest + "y\r\n");
    EXPECT_EQ(Peers.Sent[1], "NACK line too long\nNACK line too long\n");
    Peers.Sent.clear();

    // In pieces: one answer when the line has grown too long, none for the rest of it.
    for (int i = 0; i < 10; ++i)
        Protocol.Receive(1, longest);
    Protocol.Receive(1, "\nREQUEST Data\n");
    EXPECT_EQ(Peers.Sent[1], "NACK line too long\nDATA Data \n");
    EXPECT_TRUE(Peers.Closed.empty());
}

// The item holds one line, whatever the publisher or a poke hands it.
TEST_F(TrackingProtocol, ItemHoldsOneLine) {
    Protocol.Publish("SNNOAA 19\nDATA Data forged");
    EXPECT_EQ(Protocol.ItemText(), "SNNOAA 19");
    Protocol.Receive(1, std::string("POKE Data abc\0def\rghi\n", 22));
    EXPECT_EQ(Protocol.ItemText(), "abc");
    Protocol.Receive(1, "POKE Data\n");
    EXPECT_EQ(Protocol.ItemText(), "");
    EXPECT_EQ(Peers.Sent[1], "ACK\nACK\n");
}

// ADVISE takes its words in order: the kind, then the format.
TEST_F(TrackingProtocol, AdviseArguments) {
    Protocol.Receive(1, "ADVISE Data warm cf_text\nADVISE Data CF_TEXT HOT\n"
                        "ADVISE Data CF_BITMAP\nADVISE\nADVISE data\n");
    EXPECT_EQ(Peers.Sent[1], "ACK\nNACK too many arguments\nNACK format not supported\n"
                             "NACK no item\nNACK no such item\n");
    Peers.Sent.clear();
    Protocol.Publish("x");
    EXPECT_EQ(Peers.Sent[1], "CHANGED Data\n");
}

} // namespace
} // namespace kestrune

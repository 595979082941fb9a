#include "platform/linux/TrackingSocketServer.h"

#include "support/ScopedVariable.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kestrune {
namespace {

using namespace std::chrono_literals;

sockaddr_un AddressOf(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    return address;
}

// One client connection, read and written from the test while the server is serviced.
class TTestClient {
public:
    explicit TTestClient(const std::filesystem::path& socketPath)
        : FFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        const sockaddr_un address = AddressOf(socketPath);
        if (connect(FFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
            throw std::runtime_error("cannot connect: " + std::string(std::strerror(errno)));
    }
    ~TTestClient() { close(FFd); }
    TTestClient(const TTestClient&) = delete;
    TTestClient& operator=(const TTestClient&) = delete;

    void Write(std::string_view bytes) {
        ASSERT_EQ(send(FFd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // The next count lines (without LF), servicing the server until they came or two seconds
    // passed.
    std::vector<std::string> Lines(TTrackingSocketServer& server, std::size_t count) {
        Receive();
        for (int round = 0; round < 200 && CompleteLines() < count && !FEnded; ++round) {
            server.Poll(10);
            Receive();
        }
        std::vector<std::string> lines;
        while (lines.size() < count && CompleteLines() > 0) {
            const std::size_t end = FInput.find('\n');
            lines.push_back(FInput.substr(0, end));
            FInput.erase(0, end + 1);
        }
        return lines;
    }
    std::string Line(TTrackingSocketServer& server) {
        const std::vector<std::string> lines = Lines(server, 1);
        return lines.empty() ? "(nothing)" : lines[0];
    }
    // Whatever arrives while the server is serviced for a while.
    std::string Rest(TTrackingSocketServer& server) {
        server.ServeFor(50ms);
        Receive();
        return std::exchange(FInput, {});
    }
    // Whether the server has closed the connection (after the lines it sent).
    bool Ended(TTrackingSocketServer& server) {
        for (int round = 0; round < 200 && !FEnded; ++round) {
            server.Poll(10);
            Receive();
        }
        return FEnded;
    }
    // Sends what the test says and answers lines to CONNECT and ADVISE the item.
    void ConnectAndAdvise(TTrackingSocketServer& server, std::string_view kind) {
        Write("CONNECT Kestrune Tracking\nADVISE Data " + std::string(kind) + "\n");
        EXPECT_EQ(Lines(server, 2), (std::vector<std::string>{"OK Kestrune Tracking", "ACK"}));
    }

private:
    std::size_t CompleteLines() const {
        return static_cast<std::size_t>(std::count(FInput.begin(), FInput.end(), '\n'));
    }
    void Receive() {
        char buffer[65536];
        for (;;) {
            const ssize_t count = recv(FFd, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (count <= 0) {
                FEnded = FEnded || count == 0 || errno == ECONNRESET;
                return;
            }
            FInput.append(buffer, static_cast<std::size_t>(count));
        }
    }

    int FFd;
    std::string FInput;
    bool FEnded = false;
};

class TrackingSocketServer : public testing::Test {
protected:
    std::unique_ptr<TTrackingSocketServer> Start(std::optional<unsigned> peerUid = std::nullopt) {
        return std::make_unique<TTrackingSocketServer>("Kestrune", TLocaleInfo{}, Folder, peerUid);
    }
    std::unique_ptr<TTestClient> Connected() {
        auto client = std::make_unique<TTestClient>(Server->SocketPath());
        client->Write("CONNECT Kestrune Tracking\n");
        EXPECT_EQ(client->Line(*Server), "OK Kestrune Tracking");
        return client;
    }

    test::TTempDir Temp;
    std::filesystem::path Folder = Temp.Path() / "Kestrune";
    std::unique_ptr<TTrackingSocketServer> Server = Start();
};

// Service and wildcard, topic in any case; a connect the server would not answer is refused
// and closed.
TEST_F(TrackingSocketServer, Connect) {
    for (const char* line :
         {"CONNECT Kestrune Tracking", "CONNECT * TRACKING", "connect kestrune tracking\r"}) {
        TTestClient client(Server->SocketPath());
        client.Write(std::string(line) + "\n");
        EXPECT_EQ(client.Line(*Server), "OK Kestrune Tracking") << line;
        client.Write("CONNECT * Tracking\n");
        EXPECT_EQ(client.Line(*Server), "NACK already connected");
    }
    const std::pair<const char*, const char*> refused[] = {
        {"CONNECT Zenolith Tracking", "NACK unknown service"},
        {"CONNECT Kestrune", "NACK no topic"},
        {"CONNECT *", "NACK no topic"},
        {"CONNECT", "NACK no topic"},
        {"CONNECT Kestrune System", "NACK unknown topic"},
        {"CONNECT Kestrune Tracking Data", "NACK unknown topic"},
    };
    for (const auto& [line, answer] : refused) {
        TTestClient client(Server->SocketPath());
        client.Write(std::string(line) + "\nEXECUTE\n");
        EXPECT_EQ(client.Line(*Server), answer) << line;
        EXPECT_TRUE(client.Ended(*Server)) << line;
        EXPECT_EQ(client.Rest(*Server), "") << line;
    }
    EXPECT_EQ(Server->ClientCount(), 0u);
}

// Before the first publish the item is empty; only "Data" in text format has data.
TEST_F(TrackingSocketServer, Request) {
    auto client = Connected();
    client->Write("REQUEST Data\n");
    EXPECT_EQ(client->Line(*Server), "DATA Data ");
    Server->SetItemText("UP0 DN137100000 UMFM-W DMFM-W AZ000 EL000 SNNOAA 19");
    client->Write("REQUEST Data\nREQUEST Data cf_text\nREQUEST data\nREQUEST Data CF_BITMAP\n"
                  "REQUEST Other\nREQUEST\nREQUEST Data CF_TEXT x\n");
    EXPECT_EQ(client->Lines(*Server, 7),
              (std::vector<std::string>{"DATA Data UP0 DN137100000 UMFM-W DMFM-W AZ000 EL000 "
                                        "SNNOAA 19",
                                        "DATA Data UP0 DN137100000 UMFM-W DMFM-W AZ000 EL000 "
                                        "SNNOAA 19",
                                        "NODATA data", "NODATA Data", "NODATA Other",
                                        "NACK no item", "NACK too many arguments"}));
}

// Every publish reaches every link once, identical texts included: hot links with the data,
// warm links with the notice; a client without a link hears nothing.
TEST_F(TrackingSocketServer, HotAndWarmLinks) {
    TTestClient hot(Server->SocketPath()), warm(Server->SocketPath());
    hot.ConnectAndAdvise(*Server, "");
    warm.ConnectAndAdvise(*Server, "WARM");
    auto idle = Connected();
    for (int i = 0; i < 3; ++i)
        Server->SetItemText("UP0 DN0 UMFM-W DMFM-W AZ000 EL000 SN");
    const std::string data = "DATA Data UP0 DN0 UMFM-W DMFM-W AZ000 EL000 SN";
    EXPECT_EQ(hot.Lines(*Server, 3), (std::vector<std::string>{data, data, data}));
    EXPECT_EQ(warm.Lines(*Server, 3),
              (std::vector<std::string>{"CHANGED Data", "CHANGED Data", "CHANGED Data"}));
    EXPECT_EQ(hot.Rest(*Server) + warm.Rest(*Server) + idle->Rest(*Server), "");
}

// A poke replaces the text until the next publish and reaches the links before its ACK.
TEST_F(TrackingSocketServer, Poke) {
    TTestClient linked(Server->SocketPath());
    linked.ConnectAndAdvise(*Server, "HOT");
    Server->SetItemText("first");
    EXPECT_EQ(linked.Line(*Server), "DATA Data first");

    auto poker = Connected();
    poker->Write("POKE Data  two blanks\nPOKE data x\nREQUEST Data\n");
    EXPECT_EQ(poker->Lines(*Server, 3),
              (std::vector<std::string>{"ACK", "NACK no such item", "DATA Data  two blanks"}));
    EXPECT_EQ(linked.Line(*Server), "DATA Data  two blanks");
    Server->SetItemText("second");
    EXPECT_EQ(linked.Line(*Server), "DATA Data second");
    EXPECT_EQ(linked.Rest(*Server), "");
}

// EXECUTE is acknowledged and changes nothing; UNADVISE ends the link.
TEST_F(TrackingSocketServer, ExecuteAndUnadvise) {
    TTestClient client(Server->SocketPath());
    client.ConnectAndAdvise(*Server, "");
    client.Write("EXECUTE [Open(\"x\")]\nEXECUTE\nUNADVISE Data\nUNADVISE Data\nUNADVISE data\n");
    EXPECT_EQ(client.Lines(*Server, 5),
              (std::vector<std::string>{"ACK", "ACK", "ACK", "NACK no link", "NACK no such item"}));
    Server->SetItemText("text");
    EXPECT_EQ(client.Rest(*Server), "");
}

// A line that is too long, an unknown command and a command before CONNECT are refused, and
// the connection goes on as before.
TEST_F(TrackingSocketServer, BadLinesChangeNothing) {
    TTestClient client(Server->SocketPath());
    client.Write("REQUEST Data\nADVISE Data\n" + std::string(5000, 'A') + "\nHELLO\n\n");
    EXPECT_EQ(
        client.Lines(*Server, 5),
        (std::vector<std::string>{"NACK not connected", "NACK not connected", "NACK line too long",
                                  "NACK unknown command", "NACK unknown command"}));
    Server->SetItemText("text");
    EXPECT_EQ(client.Rest(*Server), "");
    client.Write("CONNECT Kestrune Tracking\nSUBSCRIBE Data\nREQUEST Data\n");
    EXPECT_EQ(client.Lines(*Server, 3),
              (std::vector<std::string>{"OK Kestrune Tracking", "NACK unknown command",
                                        "DATA Data text"}));
}

// 32 clients are served; the 33rd is told and closed; a place that comes free is taken again.
TEST_F(TrackingSocketServer, ClientLimit) {
    std::vector<std::unique_ptr<TTestClient>> clients;
    for (std::size_t i = 0; i < TTrackingProtocol::MaxClients; ++i)
        clients.push_back(Connected());
    TTestClient extra(Server->SocketPath());
    EXPECT_EQ(extra.Line(*Server), "NACK too many clients");
    EXPECT_TRUE(extra.Ended(*Server));

    clients.pop_back();
    Server->ServeFor(20ms);
    clients.push_back(Connected());
    EXPECT_EQ(Server->ClientCount(), TTrackingProtocol::MaxClients);
}

// With no descriptor left, accepting is held off and the listener is not watched meanwhile, so
// the loop that waits on it does not spin; the client waiting is served once it may be.
TEST_F(TrackingSocketServer, OutOfDescriptorsHoldsOffAccepting) {
    const int listener = Server->Watches().front().Fd;
    TTestClient waiting(Server->SocketPath());
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = open("/dev/null", O_RDONLY | O_CLOEXEC);
    close(lowestFree);
    rlimit none = saved;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    Server->Service();
    const std::vector<TTrackingSocketServer::TWatch> watches = Server->Watches();
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_TRUE(std::none_of(watches.begin(), watches.end(),
                             [&](const auto& watch) { return watch.Fd == listener; }));
    EXPECT_EQ(Server->ClientCount(), 0u);

    waiting.Write("CONNECT Kestrune Tracking\n");
    EXPECT_EQ(waiting.Line(*Server), "OK Kestrune Tracking");
    EXPECT_EQ(Server->Watches().front().Fd, listener);
}

// A client that connects and never says CONNECT gives its place back; one that did stays.
TEST_F(TrackingSocketServer, SilentClientIsDropped) {
    Server->SetConnectTimeout(300ms);
    TTestClient silent(Server->SocketPath());
    const auto talking = Connected();
    Server->ServeFor(50ms);
    EXPECT_EQ(Server->ClientCount(), 2u);
    EXPECT_EQ(silent.Line(*Server), "NACK no CONNECT");
    EXPECT_TRUE(silent.Ended(*Server));
    EXPECT_EQ(Server->ClientCount(), 1u);
    talking->Write("REQUEST Data TEXT\n");
    EXPECT_FALSE(talking->Line(*Server).empty());
}

// A client that never reads is dropped once it is too far behind; the others go on.
TEST_F(TrackingSocketServer, StuckClientIsDropped) {
    TTestClient stuck(Server->SocketPath()), reader(Server->SocketPath());
    stuck.ConnectAndAdvise(*Server, "HOT");
    reader.ConnectAndAdvise(*Server, "HOT");
    const std::string text(3000, 'x');
    constexpr std::size_t Publishes = 400; // 1.2 MB, far beyond any socket buffer and ours
    std::size_t received = 0;
    for (std::size_t i = 0; i < Publishes; ++i) {
        Server->SetItemText(text);
        for (const std::string& line : reader.Lines(*Server, 1))
            received += line == "DATA Data " + text;
    }
    EXPECT_EQ(received, Publishes);
    EXPECT_EQ(Server->ClientCount(), 1u);
    EXPECT_TRUE(stuck.Ended(*Server));
}

// A socket left behind by a crash is replaced; a live one is not touched.
TEST_F(TrackingSocketServer, StaleAndLiveSockets) {
    const std::filesystem::path path = Server->SocketPath();
    try {
        Start();
        ADD_FAILURE() << "a second server started";
    } catch (const ETrackingServer& error) {
        EXPECT_STREQ(error.what(), ("Cannot start the tracking server: " + path.string() +
                                    " is served by another running copy of Kestrune")
                                       .c_str());
    }
    auto client = Connected(); // the first server still serves

    Server.reset();
    client.reset();
    EXPECT_FALSE(std::filesystem::exists(path));
    // What a crash leaves: a bound socket file that nobody listens on.
    const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = AddressOf(path);
    ASSERT_EQ(bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    close(stale);
    ASSERT_TRUE(std::filesystem::is_socket(path));
    Server = Start();
    Connected();

    Server.reset();
    Temp.Write("Kestrune/Tracking.sock", "not a socket");
    EXPECT_THROW(Start(), ETrackingServer);
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

// The folder is the user's alone, even when it was there before with a looser mode.
TEST_F(TrackingSocketServer, FolderMode) {
    struct stat info {};
    ASSERT_EQ(stat(Folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    Server.reset();
    ASSERT_EQ(chmod(Folder.c_str(), 0755), 0);
    Server = Start();
    ASSERT_EQ(stat(Folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

// The socket lives in the runtime folder; without one, in a folder of the user's own under the
// state folder, not in /tmp where another user could take it first.
TEST(TrackingSocketFolder, RuntimeFolderAndFallback) {
    {
        const test::TScopedVariable runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(TTrackingSocketServer::DefaultSocketFolder("Kestrune"),
                  "/run/user/1000/Kestrune");
    }
    test::TTempDir state;
    const test::TScopedVariable runtime("XDG_RUNTIME_DIR", "relative");
    const test::TScopedVariable stateHome("XDG_STATE_HOME", state.Path().c_str());
    const std::filesystem::path folder = TTrackingSocketServer::DefaultSocketFolder("Kestrune");
    EXPECT_EQ(folder, state.Path() / "Quillmere" / "runtime" / "Kestrune");
    TTrackingSocketServer server("Kestrune", TLocaleInfo{}, folder);
    EXPECT_EQ(server.SocketPath(), folder / "Tracking.sock");
    struct stat info {};
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

// Clients of another user are refused.
TEST_F(TrackingSocketServer, OtherUserRefused) {
    Server.reset();
    Server = Start(geteuid() + 1);
    TTestClient client(Server->SocketPath());
    client.Write("CONNECT Kestrune Tracking\n");
    EXPECT_EQ(client.Line(*Server), "NACK permission denied");
    EXPECT_TRUE(client.Ended(*Server));
    EXPECT_EQ(Server->ClientCount(), 0u);
}

// Texts go out in the locale's character set.
TEST_F(TrackingSocketServer, LocaleCharacterSet) {
    Server.reset();
    TLocaleInfo latin1;
    latin1.FromUtf8 = [](std::string_view text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i)
            out += text[i] == '\xc3' ? static_cast<char>(text[++i] + 0x40) : text[i];
        return out;
    };
    Server = std::make_unique<TTrackingSocketServer>("Kestrune", latin1, Folder);
    auto client = Connected();
    Server->SetItemText("SNM\xc3\xa9t\xc3\xa9o");
    client->Write("REQUEST Data\n");
    EXPECT_EQ(client->Line(*Server), "DATA Data SNM\xe9t\xe9o");
}

} // namespace
} // namespace kestrune

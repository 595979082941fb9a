// The rig-control connection against servers on 127.0.0.1 that the tests start: one that
// answers and records, one that never answers, one that closes every connection.

#include "platform/linux/RigctlTransport.h"

#include "platform/LoopbackServer.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrune {
namespace {

using TStrings = std::vector<std::string>;

// How long a test lets the transport wait; short, so a server that never answers costs little.
constexpr int TimeoutMs = 200;

class TFakeRigctld {
public:
    enum class TMode { Answer, Silent, Close };

    explicit TFakeRigctld(TMode mode) : FMode(mode) {}

    TFakeRigctld(const TFakeRigctld&) = delete;
    TFakeRigctld& operator=(const TFakeRigctld&) = delete;

    std::string Address() const { return FServer.Address(); }
    int Connections() const { return FConnections; }
    std::string Received() const {
        std::lock_guard lock(FMutex);
        return FReceived;
    }

private:
    // Serves one connection at a time until the test ends, never blocking longer than 20 ms.
    void Serve() {
        int client = -1;
        while (!FServer.Stopping()) {
            pollfd watch{client >= 0 ? client : FServer.Listener(), POLLIN, 0};
            if (poll(&watch, 1, 20) <= 0)
                continue;
            if (client < 0) {
                client = accept4(FServer.Listener(), nullptr, nullptr, SOCK_CLOEXEC);
                ++FConnections;
                if (FMode == TMode::Close) {
                    close(client);
                    client = -1;
                }
                continue;
            }
            char buffer[512];
            const ssize_t n = read(client, buffer, sizeof buffer);
            if (n <= 0) {
                close(client);
                client = -1;
                continue;
            }
            std::lock_guard lock(FMutex);
            FReceived.append(buffer, static_cast<std::size_t>(n));
            if (FMode != TMode::Answer)
                continue;
            for (ssize_t i = 0; i < n; ++i)
                if (buffer[i] == '\n' && write(client, "RPRT 0\n", 7) != 7)
                    break;
        }
        if (client >= 0)
            close(client);
    }

    TMode FMode;
    std::atomic<int> FConnections{0};
    mutable std::mutex FMutex;
    std::string FReceived;
    // Last: its thread ends before the members it uses go.
    test::TLoopbackServer FServer{[this] { Serve(); }};
};

std::string FailureOf(TRigctlTransport& transport) {
    try {
        transport.Transact({"F 137100000"}, TimeoutMs);
    } catch (const ERigControl& error) {
        return error.what();
    }
    return "no failure";
}

TEST(RigctlTransport, SendsEachLineAndReadsOneAnswerEachOnOneConnection) {
    TFakeRigctld server(TFakeRigctld::TMode::Answer);
    TRigctlTransport transport(server.Address());
    EXPECT_EQ(transport.Transact({"F 137100000", "M FM 40000"}, TimeoutMs),
              (TStrings{"RPRT 0", "RPRT 0"}));
    EXPECT_EQ(transport.Transact({"F 137910000"}, TimeoutMs), TStrings{"RPRT 0"});
    EXPECT_EQ(server.Received(), "F 137100000\nM FM 40000\nF 137910000\n");
    EXPECT_EQ(server.Connections(), 1);
}

TEST(RigctlTransport, AServerThatNeverAnswersTimesOutAndTheNextCallConnectsAgain) {
    TFakeRigctld server(TFakeRigctld::TMode::Silent);
    TRigctlTransport transport(server.Address());
    EXPECT_EQ(FailureOf(transport),
              "the rig-control server at " + server.Address() + " did not answer within 200 ms");
    EXPECT_EQ(FailureOf(transport),
              "the rig-control server at " + server.Address() + " did not answer within 200 ms");
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(server.Received(), "F 137100000\nF 137100000\n");
}

TEST(RigctlTransport, AServerThatClosesIsSaidAndTheNextCallConnectsAgain) {
    TFakeRigctld server(TFakeRigctld::TMode::Close);
    TRigctlTransport transport(server.Address());
    const std::string closed = "the rig-control server at " + server.Address();
    EXPECT_EQ(FailureOf(transport).rfind(closed, 0), 0u);
    EXPECT_EQ(FailureOf(transport).rfind(closed, 0), 0u);
    EXPECT_EQ(server.Connections(), 2);
}

TEST(RigctlTransport, NoServerOrABadAddressIsSaid) {
    std::string address;
    {
        TFakeRigctld server(TFakeRigctld::TMode::Answer);
        address = server.Address();
    } // nobody listens on its port any more
    TRigctlTransport refused(address);
    EXPECT_EQ(FailureOf(refused),
              "the rig-control server at " + address + " cannot be reached: Connection refused");

    TRigctlTransport named("localhost:4532");
    EXPECT_NE(FailureOf(named).find("is not a numeric host:port"), std::string::npos);
}

} // namespace
} // namespace kestrune

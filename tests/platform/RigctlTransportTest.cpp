// The rig-control connection against servers on 127.0.0.1 that the tests start: one that
// answers and records, one that never answers, one that closes every connection.

#include "platform/linux/RigctlTransport.h"

#include "support/FakeRigctld.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

using TStrings = std::vector<std::string>;

// How long a test lets the transport wait; short, so a server that never answers costs little.
constexpr int TimeoutMs = 200;

std::string FailureOf(TRigctlTransport& transport) {
    try {
        transport.Transact({"F 137100000"}, TimeoutMs);
    } catch (const ERigControl& error) {
        return error.what();
    }
    return "no failure";
}

TEST(RigctlTransport, SendsEachLineAndReadsOneAnswerEachOnOneConnection) {
    test::TFakeRigctld server(test::TFakeRigctld::TMode::Answer);
    TRigctlTransport transport(server.Address());
    EXPECT_EQ(transport.Transact({"F 137100000", "M FM 40000"}, TimeoutMs),
              (TStrings{"RPRT 0", "RPRT 0"}));
    EXPECT_EQ(transport.Transact({"F 137910000"}, TimeoutMs), TStrings{"RPRT 0"});
    EXPECT_EQ(server.Received(), "F 137100000\nM FM 40000\nF 137910000\n");
    EXPECT_EQ(server.Connections(), 1);
}

TEST(RigctlTransport, AServerThatNeverAnswersTimesOutAndTheNextCallConnectsAgain) {
    test::TFakeRigctld server(test::TFakeRigctld::TMode::Silent);
    TRigctlTransport transport(server.Address());
    EXPECT_EQ(FailureOf(transport),
              "the rig-control server at " + server.Address() + " did not answer within 200 ms");
    EXPECT_EQ(FailureOf(transport),
              "the rig-control server at " + server.Address() + " did not answer within 200 ms");
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(server.Received(), "F 137100000\nF 137100000\n");
}

TEST(RigctlTransport, AServerThatClosesIsSaidAndTheNextCallConnectsAgain) {
    test::TFakeRigctld server(test::TFakeRigctld::TMode::Close);
    TRigctlTransport transport(server.Address());
    const std::string closed = "the rig-control server at " + server.Address();
    EXPECT_EQ(FailureOf(transport).rfind(closed, 0), 0u);
    EXPECT_EQ(FailureOf(transport).rfind(closed, 0), 0u);
    EXPECT_EQ(server.Connections(), 2);
}

TEST(RigctlTransport, NoServerOrABadAddressIsSaid) {
    std::string address;
    {
        test::TFakeRigctld server(test::TFakeRigctld::TMode::Answer);
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

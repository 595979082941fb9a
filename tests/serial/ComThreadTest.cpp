#include "serial/ComPortFixture.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace kestrune::test {
namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

class ComThreadTest : public ComPortFixture {
protected:
    void RecordHooks() {
        Port.OnError = [this](TComErrors errors) {
            Hooks.push_back(errors == TComErrors{TComError::ceFrame} ? "error frame" : "error ?");
        };
        Port.OnRxChar = [this](std::int32_t count) {
            Hooks.push_back("rx " + std::to_string(count));
        };
        Port.OnTxEmpty = [this] { Hooks.push_back("tx empty"); };
        Port.OnBreak = [this] { Hooks.push_back("break"); };
        Port.OnRing = [this] { Hooks.push_back("ring"); };
        Port.OnCTSChange = [this](bool on) { Hooks.push_back(on ? "CTS on" : "CTS off"); };
        Port.OnDSRChange = [this](bool on) { Hooks.push_back(on ? "DSR on" : "DSR off"); };
        Port.OnRxFlag = [this] { Hooks.push_back("rx flag"); };
        Port.OnRLSDChange = [this](bool on) { Hooks.push_back(on ? "RLSD on" : "RLSD off"); };
        Port.OnRx80Full = [this] { Hooks.push_back("rx 80%"); };
    }

    std::vector<std::string> Hooks;
};

TEST_F(ComThreadTest, TheGuiThreadHandlesEachBatchInTheFixedOrder) {
    Port.Open();
    RecordHooks();
    Hardware.SetLineErrors(comm::CeFrame | comm::CeRxParity);
    Hardware.SetInQue(5);
    Hardware.SetModemStatus(comm::MsCtsOn | comm::MsRlsdOn);
    Hardware.PostEvents(0x5FF);
    ASSERT_TRUE(Dispatcher.WaitForPending(5s));
    // The event thread waits for the GUI thread: nothing has run yet.
    EXPECT_TRUE(Hooks.empty());
    Dispatcher.ServePending();
    // Parity errors count only while parity checking is on.
    EXPECT_THAT(Hooks, ElementsAre("error frame", "rx 5", "tx empty", "break", "ring", "CTS on",
                                   "DSR off", "rx flag", "RLSD on", "rx 80%"));
    ASSERT_TRUE(Hardware.WaitUntilIdle()) << "the thread waits again after the hand-over";

    // Nothing waiting, no line errors: those hooks stay quiet.
    Hooks.clear();
    Hardware.SetInQue(0);
    Hardware.PostEvents(comm::EvRxChar | comm::EvErr | comm::EvDsr);
    ASSERT_TRUE(Dispatcher.WaitForPending(5s));
    Dispatcher.ServePending();
    EXPECT_THAT(Hooks, ElementsAre("DSR off"));
    Port.Close();
}

TEST_F(ComThreadTest, ParityErrorsAreReportedWhileCheckingIsOn) {
    Port.Parity().SetCheck(true);
    Port.Open();
    TComErrors reported;
    Port.OnError = [&](TComErrors errors) { reported = errors; };
    Hardware.SetLineErrors(comm::CeRxParity | comm::CeOverrun);
    Hardware.PostEvents(comm::EvErr);
    ASSERT_TRUE(Dispatcher.WaitForPending(5s));
    Dispatcher.ServePending();
    EXPECT_EQ(reported, (TComErrors{TComError::ceRxParity, TComError::ceOverrun}));
    Port.Close();
}

TEST_F(ComThreadTest, OnlyTheWatchedEventsAreReported) {
    Port.SetEvents(TComEvents{TComEvent::evRing});
    Port.Open();
    RecordHooks();
    EXPECT_EQ(Hardware.CountOf("SetCommMask 0x100"), 1);
    Hardware.PostEvents(comm::EvBreak);
    Hardware.PostEvents(comm::EvRing | comm::EvBreak);
    ASSERT_TRUE(Dispatcher.WaitForPending(5s));
    Dispatcher.ServePending();
    EXPECT_THAT(Hooks, ElementsAre("ring"));
    Port.Close();
}

TEST_F(ComThreadTest, CloseServesAPendingHandOverAndReturnsPromptly) {
    Port.Open();
    RecordHooks();
    Hardware.SetInQue(1);
    Hardware.PostEvents(comm::EvRxChar);
    ASSERT_TRUE(Dispatcher.WaitForPending(5s));
    const auto start = std::chrono::steady_clock::now();
    Port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_THAT(Hooks, ElementsAre("CTS off", "DSR off", "RLSD off", "rx 1"));
    EXPECT_FALSE(Hardware.DeviceOpen());
}

TEST_F(ComThreadTest, CloseDuringABurstOfReceivedBytesReturnsPromptly) {
    Port.Open();
    int received = 0;
    Port.OnRxChar = [&](std::int32_t) { ++received; };
    Hardware.SetInQue(1);
    std::atomic<bool> sending = true;
    std::thread sender([&] {
        while (sending) {
            Hardware.PostEvents(comm::EvRxChar);
            std::this_thread::sleep_for(100us);
        }
    });
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(Dispatcher.WaitForPending(5s));
        Dispatcher.ServePending();
    }
    const auto start = std::chrono::steady_clock::now();
    Port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    sending = false;
    sender.join();
    EXPECT_GE(received, 20);
}

TEST_F(ComThreadTest, AFailedDispatchEndsTheThreadQuietly) {
    Port.Open();
    Hardware.SetInQue(3);
    Hardware.FailCall("ClearCommError", EIO);
    Hardware.PostEvents(comm::EvRxChar);
    ASSERT_TRUE(Dispatcher.WaitForPending(5s));
    EXPECT_NO_THROW(Dispatcher.ServePending());
    // The thread has ended: it tidies up and reports nothing more.
    for (int i = 0; i < 500 && Hardware.CountOf("PurgeComm 12") == 0; ++i) {
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(Hardware.CountOf("SetCommMask 0x0"), 1);
    EXPECT_EQ(Hardware.CountOf("PurgeComm 12"), 1);
    Hardware.PostEvents(comm::EvRxChar);
    EXPECT_FALSE(Dispatcher.WaitForPending(100ms));
    // The port stays open and writable.
    EXPECT_TRUE(Port.Connected());
    EXPECT_EQ(Port.WriteStr("S"), 1);
    Port.Close();
    EXPECT_FALSE(Port.Connected());
}

TEST_F(ComThreadTest, AFailedWaitEndsTheThreadInsteadOfSpinning) {
    Hardware.FailCall("WaitCommEvent", EIO);
    Port.Open();
    for (int i = 0; i < 500 && Hardware.CountOf("PurgeComm 12") == 0; ++i) {
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(Hardware.CountOf("PurgeComm 12"), 1);
    Port.Close();
    EXPECT_FALSE(Hardware.DeviceOpen());
}

TEST_F(ComThreadTest, NoEventsMeansNoThread) {
    Port.SetEvents({});
    Port.Open();
    Port.Close();
    EXPECT_EQ(Hardware.CountOf("SetCommMask"), 0);
    EXPECT_EQ(Hardware.CountOf("PurgeComm"), 1);
}

TEST_F(ComThreadTest, DirectDeliveryRunsOnTheEventThreadAndDisabledDeliversNothing) {
    Port.SetSyncMethod(TSyncMethod::smNone);
    Port.Open();
    std::atomic<bool> rang = false;
    std::thread::id hookThread;
    Port.OnRing = [&] {
        hookThread = std::this_thread::get_id();
        rang = true;
    };
    Hardware.PostEvents(comm::EvRing);
    ASSERT_TRUE(Hardware.WaitUntilIdle());
    EXPECT_TRUE(rang);
    EXPECT_NE(hookThread, std::this_thread::get_id());
    Port.Close();

    rang = false;
    Port.SetSyncMethod(TSyncMethod::smDisableEvents);
    Port.Open();
    Hardware.PostEvents(comm::EvRing);
    ASSERT_TRUE(Hardware.WaitUntilIdle());
    EXPECT_FALSE(rang);
    Port.Close();
}

TEST_F(ComThreadTest, WindowDeliveryHandsOverEachEventAndGoesOnAfterAFailure) {
    Port.SetSyncMethod(TSyncMethod::smWindowSync);
    Port.Open();
    RecordHooks();
    Hardware.FailCall("GetCommModemStatus", EIO);
    Hardware.PostEvents(comm::EvRing | comm::EvCts | comm::EvBreak);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Dispatcher.WaitForPending(5s));
        Dispatcher.ServePending();
    }
    EXPECT_THAT(Hooks, ElementsAre("break", "ring"));
    EXPECT_THAT(Trace.Lines,
                ElementsAre("COM Port Error: GetCommModemStatus function failed on COM1"));
    Hardware.FailCall("GetCommModemStatus", 0);
    ASSERT_TRUE(Hardware.WaitUntilIdle());
    Hardware.PostEvents(comm::EvTxEmpty);
    ASSERT_TRUE(Dispatcher.WaitForPending(5s));
    Dispatcher.ServePending();
    EXPECT_THAT(Hooks, ElementsAre("break", "ring", "tx empty"));
    Port.Close();
}

} // namespace
} // namespace kestrune::test

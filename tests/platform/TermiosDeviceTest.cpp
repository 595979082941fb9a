#include "platform/linux/TermiosDevice.h"

#include "platform/PseudoTerminal.h"
#include "platform/linux/SerialDeviceFactory.h"
#include "platform/linux/SystemClock.h"
#include "serial/ComPort.h"
#include "settings/MemoryRegistry.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

class TSilentTrace final : public IDebugTrace {
public:
    void Output(const std::string&) override {}
};

class TermiosDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        Port.SetPort(Pty.Path());
        Port.SetBaudRate(TBaudRate::br1200);
    }

    int CodeOf(void (TCustomComPort::*operation)()) {
        try {
            (Port.*operation)();
        } catch (const EComPort& e) {
            return e.ErrorCode();
        }
        return 0;
    }

    TPseudoTerminal Pty;
    TSystemClock Clock;
    TSerialDeviceFactory Devices{Clock};
    TQueuedGuiDispatcher Dispatcher;
    TSilentTrace Trace;
    TMemoryRegistry Registry;
    TComPort Port{"ComPortControl", {Devices, Dispatcher, Trace, Registry}};
};

TEST_F(TermiosDeviceTest, WrittenTextArrivesUnchangedOnARawLine) {
    Port.Open();
    const TPseudoTerminal::TLineState line = Pty.LineState();
    EXPECT_EQ(line.BaudRate, 1200u);
    EXPECT_FALSE(line.TwoStopBits);
    EXPECT_FALSE(line.Crtscts || line.Ixon || line.Ixoff);
    EXPECT_TRUE(line.Raw);

    std::string every;
    for (int code = 0; code < 256; ++code) {
        every += static_cast<char>(code);
    }
    EXPECT_EQ(Port.WriteStr(every), 256);
    EXPECT_EQ(Pty.Receive(256), every);
    EXPECT_EQ(Port.WriteStr("F0\r\n"), 4);
    EXPECT_EQ(Pty.Receive(4), "F0\r\n");
    Port.Close();
}

TEST_F(TermiosDeviceTest, LineSettingsReachTheTerminal) {
    Port.Open();
    Port.BeginUpdate();
    Port.SetBaudRate(TBaudRate::brCustom);
    Port.SetCustomBaudRate(123457);
    Port.SetDataBits(TDataBits::dbSeven);
    Port.SetStopBits(TStopBits::sbTwoStopBits);
    Port.Parity().SetBits(TParityBits::prMark);
    Port.Parity().SetCheck(true);
    Port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    Port.EndUpdate();
    // A pseudo-terminal keeps 8 data bits without parity whatever it is told; the data bits and
    // parity bits are checked on their own (TermiosLineTest).
    TPseudoTerminal::TLineState line = Pty.LineState();
    EXPECT_EQ(line.BaudRate, 123457u);
    EXPECT_TRUE(line.TwoStopBits);
    EXPECT_TRUE(line.Crtscts);
    EXPECT_TRUE(line.Inpck);

    Port.FlowControl().SetFlowControl(TFlowControl::fcSoftware);
    line = Pty.LineState();
    EXPECT_FALSE(line.Crtscts);
    EXPECT_TRUE(line.Ixon && line.Ixoff);

    // 1.5 stop bits exist only with 5 data bits, 2 stop bits not with 5.
    Port.BeginUpdate();
    Port.SetDataBits(TDataBits::dbFive);
    Port.SetStopBits(TStopBits::sbOne5StopBits);
    Port.EndUpdate();
    EXPECT_TRUE(Pty.LineState().TwoStopBits);
    Port.Close();
}

TEST_F(TermiosDeviceTest, SettingsTheLineCannotTakeFailCleanly) {
    const auto refusal = [this](const std::function<void()>& change) {
        Port.Close();
        Port.SetDataBits(TDataBits::dbEight);
        Port.SetStopBits(TStopBits::sbOneStopBit);
        Port.SetBaudRate(TBaudRate::br1200);
        Port.FlowControl().SetOutDSRFlow(false);
        Port.FlowControl().SetControlRTS(TRTSFlowControl::rtsDisable);
        change();
        try {
            Port.Open();
        } catch (const EComPort& e) {
            EXPECT_FALSE(Port.Connected());
            return std::make_pair(e.ErrorCode(), e.SystemError());
        }
        return std::make_pair(0, 0);
    };
    EXPECT_EQ(refusal([&] { Port.SetStopBits(TStopBits::sbOne5StopBits); }),
              std::make_pair(7, EINVAL));
    EXPECT_EQ(refusal([&] {
                  Port.SetDataBits(TDataBits::dbFive);
                  Port.SetStopBits(TStopBits::sbTwoStopBits);
              }),
              std::make_pair(7, EINVAL));
    EXPECT_EQ(refusal([&] {
                  Port.SetBaudRate(TBaudRate::brCustom);
                  Port.SetCustomBaudRate(0);
              }),
              std::make_pair(7, EINVAL));
    EXPECT_EQ(refusal([&] { Port.FlowControl().SetOutDSRFlow(true); }),
              std::make_pair(7, EOPNOTSUPP));
    EXPECT_EQ(refusal([&] { Port.FlowControl().SetControlRTS(TRTSFlowControl::rtsToggle); }),
              std::make_pair(7, EOPNOTSUPP));
    EXPECT_EQ(refusal([] {}), std::make_pair(0, 0));
}

TEST_F(TermiosDeviceTest, AWriteNobodyReadsEndsWithinTheWriteTimeouts) {
    Port.Timeouts().SetWriteTotalMultiplier(0);
    Port.Timeouts().SetWriteTotalConstant(300);
    Port.Open();
    const std::string block(1 << 20, 'x');
    const auto start = TClock::now();
    const std::int32_t written = Port.WriteStr(block);
    const auto elapsed = TClock::now() - start;
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<std::int32_t>(block.size()));
    EXPECT_GE(elapsed, 250ms);
    EXPECT_LT(elapsed, 2s);
    // What was counted is what arrives.
    EXPECT_EQ(Pty.Receive(static_cast<std::size_t>(written), 500).size(),
              static_cast<std::size_t>(written));
    Port.Close();
}

TEST_F(TermiosDeviceTest, CloseWhileTheFarEndSendsReturnsPromptly) {
    Port.Open();
    std::atomic<int> arrivals = 0;
    Port.OnRxChar = [&](std::int32_t) { ++arrivals; };
    std::atomic<bool> sending = true;
    std::thread sender([&] {
        while (sending && Pty.Send("0123456789")) {
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(Dispatcher.WaitForPending(2s));
        Dispatcher.ServePending();
    }
    ASSERT_TRUE(Dispatcher.WaitForPending(2s));
    const auto start = TClock::now();
    Port.Close();
    EXPECT_LT(TClock::now() - start, 500ms);
    sending = false;
    sender.join();
    EXPECT_GE(arrivals, 5);
}

TEST_F(TermiosDeviceTest, AHungUpDeviceGivesFailuresNotAHang) {
    Port.Open();
    Pty.CloseMaster();
    try {
        Port.WriteStr("S");
        ADD_FAILURE() << "no exception";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 2);
        EXPECT_EQ(e.SystemError(), EIO);
    }
    const auto start = TClock::now();
    Port.Close();
    EXPECT_LT(TClock::now() - start, 500ms);
    EXPECT_FALSE(Port.Connected());
}

TEST_F(TermiosDeviceTest, APortHungUpInAPassIsClosedAndCanBeTriedAgain) {
    Port.Open();
    Pty.CloseMaster();
    EXPECT_THROW(Port.SetRTSLine(true), EComPort);
    const auto start = TClock::now();
    Port.CloseAfterFailure();
    EXPECT_LT(TClock::now() - start, 500ms);
    EXPECT_FALSE(Port.Connected());
    // The adapter has not come back: a new try fails with the system's reason.
    try {
        Port.Open();
        ADD_FAILURE() << "no exception";
    } catch (const EComPort& e) {
        EXPECT_NE(e.SystemError(), 0);
    }
    EXPECT_FALSE(Port.Connected());
}

TEST_F(TermiosDeviceTest, APseudoTerminalHasNoModemLines) {
    Port.Open();
    try {
        Port.SetRTSLine(true);
        ADD_FAILURE() << "no exception";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 12);
        EXPECT_EQ(e.SystemError(), ENOTTY);
    }
    Port.Close();
}

TEST_F(TermiosDeviceTest, OpenFailures) {
    const auto openError = [this](const std::string& name) {
        Port.SetPort(name);
        try {
            Port.Open();
        } catch (const EComPort& e) {
            EXPECT_EQ(e.ErrorCode(), 1);
            EXPECT_EQ(std::string(e.what()), "COM Port Error: Unable to open com port on " + name);
            return e.SystemError();
        }
        return 0;
    };
    EXPECT_EQ(openError("ttyKestruneMissing"), ENOENT);
    EXPECT_EQ(openError("/dev/null"), ENOTTY);
    EXPECT_EQ(openError(""), EISDIR);
    EXPECT_EQ(openError("spy://loop://"), EINVAL);
    EXPECT_EQ(openError("spy://?file=/tmp/x"), EINVAL);
    EXPECT_EQ(openError("spy://ttyKestruneMissing?file=/tmp/x"), ENOENT);
}

TEST_F(TermiosDeviceTest, TheDeviceIsForOneUserAtATime) {
    std::unique_ptr<ISerialDevice> first;
    std::unique_ptr<ISerialDevice> second;
    ASSERT_EQ(TTermiosDevice::Open(Pty.Path(), first), 0);
    EXPECT_EQ(TTermiosDevice::Open(Pty.Path(), second), EBUSY);
    first.reset();
    EXPECT_EQ(TTermiosDevice::Open(Pty.Path(), second), 0);
}

TEST_F(TermiosDeviceTest, ArrivalsAreReportedOnceAndAStopEndsTheWaitAtOnce) {
    std::unique_ptr<ISerialDevice> device;
    ASSERT_EQ(TTermiosDevice::Open(Pty.Path(), device), 0);
    ASSERT_EQ(device->SetCommMask(comm::EvRxChar), 0);
    ASSERT_TRUE(Pty.Send("abc"));
    std::uint32_t mask = 0;
    ASSERT_EQ(device->WaitCommEvent(mask), 0);
    EXPECT_EQ(mask, comm::EvRxChar);

    // The bytes stay queued; with nothing new the next wait blocks until it is stopped.
    std::thread stopper([&] {
        std::this_thread::sleep_for(150ms);
        device->CancelWait();
    });
    const auto start = TClock::now();
    ASSERT_EQ(device->WaitCommEvent(mask), 0);
    const auto waited = TClock::now() - start;
    stopper.join();
    EXPECT_EQ(mask, 0u);
    EXPECT_GE(waited, 100ms);
    EXPECT_LT(waited, 1s);

    // A stop stays in force until the mask is set again.
    ASSERT_EQ(device->WaitCommEvent(mask), 0);
    EXPECT_EQ(mask, 0u);
    ASSERT_EQ(device->SetCommMask(comm::EvRxChar | comm::EvTxEmpty), 0);
    ASSERT_TRUE(Pty.Send("d"));
    ASSERT_EQ(device->WaitCommEvent(mask), 0);
    EXPECT_EQ(mask, comm::EvRxChar);

    TComStat stat;
    std::uint32_t errors = 0;
    ASSERT_EQ(device->ClearCommError(errors, stat), 0);
    EXPECT_EQ(stat.InQue, 4u);
    EXPECT_EQ(errors, 0u);
    char bytes[8];
    std::size_t read = 0;
    ASSERT_EQ(device->ReadFile(bytes, sizeof bytes, read), 0);
    EXPECT_EQ(std::string(bytes, read), "abcd");

    std::size_t written = 0;
    ASSERT_EQ(device->WriteFile("xy", 2, written), 0);
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(Pty.Receive(2), "xy");
    ASSERT_EQ(device->WaitCommEvent(mask), 0);
    EXPECT_EQ(mask, comm::EvTxEmpty);
}

} // namespace
} // namespace kestrune::test

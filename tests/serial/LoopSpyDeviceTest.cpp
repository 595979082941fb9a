#include "platform/linux/SerialDeviceFactory.h"
#include "serial/ComPort.h"
#include "serial/LoopDevice.h"
#include "serial/SpyDevice.h"
#include "settings/MemoryRegistry.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

#include <cerrno>
#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

class TSilentTrace final : public IDebugTrace {
public:
    void Output(const std::string&) override {}
};

std::vector<std::string> LinesOf(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::string text = ReadFileBytes(path);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

TEST(LoopDeviceTest, WhatIsWrittenComesBackAndTheLinesAreWiredAcross) {
    TLoopDevice loop;
    ASSERT_EQ(loop.SetCommMask(0x5FF), 0);
    std::size_t count = 0;
    ASSERT_EQ(loop.WriteFile("F0\0S", 4, count), 0);
    EXPECT_EQ(count, 4u);
    std::uint32_t mask = 0;
    ASSERT_EQ(loop.WaitCommEvent(mask), 0);
    EXPECT_EQ(mask, comm::EvRxChar | comm::EvTxEmpty);

    std::uint32_t errors = 0;
    TComStat stat;
    ASSERT_EQ(loop.ClearCommError(errors, stat), 0);
    EXPECT_EQ(stat.InQue, 4u);
    char bytes[3];
    ASSERT_EQ(loop.ReadFile(bytes, sizeof bytes, count), 0);
    EXPECT_EQ(std::string(bytes, count), std::string("F0\0", 3));
    ASSERT_EQ(loop.ReadFile(bytes, sizeof bytes, count), 0);
    EXPECT_EQ(std::string(bytes, count), "S");

    std::uint32_t status = 0;
    ASSERT_EQ(loop.EscapeCommFunction(TEscapeFunction::SetRts), 0);
    ASSERT_EQ(loop.GetCommModemStatus(status), 0);
    EXPECT_EQ(status, comm::MsCtsOn);
    ASSERT_EQ(loop.EscapeCommFunction(TEscapeFunction::SetDtr), 0);
    ASSERT_EQ(loop.EscapeCommFunction(TEscapeFunction::ClrRts), 0);
    ASSERT_EQ(loop.GetCommModemStatus(status), 0);
    EXPECT_EQ(status, comm::MsDsrOn);
    ASSERT_EQ(loop.WaitCommEvent(mask), 0);
    EXPECT_EQ(mask, comm::EvCts | comm::EvDsr);
}

TEST(LoopDeviceTest, AFullInputQueueLosesTheRestAndSaysSo) {
    TLoopDevice loop;
    ASSERT_EQ(loop.SetupComm(10, 10), 0);
    ASSERT_EQ(loop.SetCommMask(0x5FF), 0);
    std::size_t count = 0;
    ASSERT_EQ(loop.WriteFile("0123456789ABC", 13, count), 0);
    std::uint32_t mask = 0;
    ASSERT_EQ(loop.WaitCommEvent(mask), 0);
    EXPECT_EQ(mask, comm::EvRxChar | comm::EvTxEmpty | comm::EvErr | comm::EvRx80Full);
    std::uint32_t errors = 0;
    TComStat stat;
    ASSERT_EQ(loop.ClearCommError(errors, stat), 0);
    EXPECT_EQ(errors, comm::CeRxOver);
    EXPECT_EQ(stat.InQue, 10u);
    ASSERT_EQ(loop.PurgeComm(comm::PurgeRxClear), 0);
    ASSERT_EQ(loop.ClearCommError(errors, stat), 0);
    EXPECT_EQ(stat.InQue, 0u);
    EXPECT_EQ(errors, 0u);
}

class SpyDeviceTest : public ::testing::Test {
protected:
    std::string SpyName() const { return "spy://loop://?file=" + LogPath.string(); }

    TTempDir Folder;
    std::filesystem::path LogPath = Folder.Path() / "port log.txt";
    TFakeClock Clock{EncodeDateTime(2026, 12, 8, 5, 50, 1, 123)};
    TSerialDeviceFactory Devices{Clock};
    TQueuedGuiDispatcher Dispatcher;
    TSilentTrace Trace;
    TMemoryRegistry Registry;
    TComPort Port{"ComPortControl", {Devices, Dispatcher, Trace, Registry}};
};

TEST_F(SpyDeviceTest, EveryWriteAndEveryRtsCallIsALine) {
    Folder.Write("port log.txt", "earlier line\n");
    Port.SetPort(SpyName());
    Port.Open();
    Port.WriteStr("F0");
    Clock.AdvanceSeconds(0.881);
    Port.SetRTSLine(true);
    Port.SetRTSLine(true);
    Clock.AdvanceSeconds(86400);
    Port.SetRTSLine(false);
    Port.WriteStr(std::string("a\"b\\c\x01\x7F\xFF ~\0", 11));
    // Each line is in the file before the call returns.
    EXPECT_THAT(LinesOf(LogPath),
                ElementsAre("earlier line", "2026-12-08T05:50:01.123Z WRITE \"F0\"",
                            "2026-12-08T05:50:02.004Z RTS 1", "2026-12-08T05:50:02.004Z RTS 1",
                            "2026-12-09T05:50:02.004Z RTS 0",
                            "2026-12-09T05:50:02.004Z WRITE "
                            "\"a\\x22b\\x5Cc\\x01\\x7F\\xFF ~\\x00\""));
    // The loop underneath still works: RTS came back as CTS.
    Port.Close();
}

TEST_F(SpyDeviceTest, DtrCallsAndTheInnerAnswersPassThrough) {
    std::unique_ptr<ISerialDevice> device;
    ASSERT_EQ(Devices.Open(SpyName(), device), 0);
    ASSERT_EQ(device->EscapeCommFunction(TEscapeFunction::SetDtr), 0);
    ASSERT_EQ(device->EscapeCommFunction(TEscapeFunction::ClrDtr), 0);
    std::size_t written = 0;
    ASSERT_EQ(device->WriteFile("", 0, written), 0);
    std::uint32_t status = 0;
    ASSERT_EQ(device->EscapeCommFunction(TEscapeFunction::SetRts), 0);
    ASSERT_EQ(device->GetCommModemStatus(status), 0);
    EXPECT_EQ(status, comm::MsCtsOn);
    EXPECT_THAT(LinesOf(LogPath),
                ElementsAre("2026-12-08T05:50:01.123Z DTR 1", "2026-12-08T05:50:01.123Z DTR 0",
                            "2026-12-08T05:50:01.123Z WRITE \"\"",
                            "2026-12-08T05:50:01.123Z RTS 1"));
}

TEST_F(SpyDeviceTest, ALogThatCannotBeOpenedFailsTheOpen) {
    Port.SetPort("spy://loop://?file=" + (Folder.Path() / "missing" / "log.txt").string());
    try {
        Port.Open();
        ADD_FAILURE() << "no exception";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_EQ(e.SystemError(), ENOENT);
    }
    EXPECT_FALSE(Port.Connected());
}

TEST_F(SpyDeviceTest, TheLoopDeviceDrivesTheComponentsHooks) {
    Port.SetPort("loop://");
    Port.Open();
    std::vector<std::string> seen;
    Port.OnRxChar = [&](std::int32_t count) { seen.push_back("rx " + std::to_string(count)); };
    Port.OnCTSChange = [&](bool on) { seen.push_back(on ? "CTS on" : "CTS off"); };
    Port.OnTxEmpty = [&] { seen.push_back("tx empty"); };
    Port.WriteStr("F1");
    ASSERT_TRUE(Dispatcher.WaitForPending(2s));
    Dispatcher.ServePending();
    Port.SetRTSLine(true);
    ASSERT_TRUE(Dispatcher.WaitForPending(2s));
    Dispatcher.ServePending();
    EXPECT_THAT(seen, ElementsAre("rx 2", "tx empty", "CTS on"));
    Port.Close();
}

TEST(SpyFormatTest, TimestampsAndQuoting) {
    EXPECT_EQ(FormatIsoUtc(EncodeDateTime(2026, 1, 2, 3, 4, 5, 6)), "2026-01-02T03:04:05.006Z");
    EXPECT_EQ(FormatIsoUtc(EncodeDateTime(2026, 12, 31, 23, 59, 59, 999)),
              "2026-12-31T23:59:59.999Z");
    EXPECT_EQ(SpyQuoted("\r\n\t", 3), "\"\\x0D\\x0A\\x09\"");
}

} // namespace
} // namespace kestrune::test

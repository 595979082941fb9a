// The program core as the front-ends drive it, over an in-memory registry and fakes: one whole
// pass, and what the core decides for both front-ends.

#include "app/Program.h"

#include "app/ProgramFixture.h"
#include "core/CommaText.h"
#include "core/TrackingString.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

class ProgramTest : public test::TProgramFixture {
protected:
    // A line of the spied port's log: the call at that many seconds after the start.
    std::string At(double seconds, const std::string& call) const {
        return FormatIsoUtc(Start + seconds * OneSecond) + " " + call;
    }
};

// RX2, gaps of 10 s, scan when idle: NOAA 19 rises at 10:00:30 for 5 s.
TEST_F(ProgramTest, TheRoadOfOnePass) {
    Store("RxType", RxRx2);
    Store("TleDataPath", std::string("/data/tle/"));
    Component.Passes["NOAA 19"] = WriteCommaText(
        {"20261208100030 N 40 180 5 NOAA 19", "20261208120000 N 40 180 600 NOAA 19"});
    Open();
    TProgram& program = *Program;
    ASSERT_TRUE(View.TimerEnabled);
    ASSERT_TRUE(View.Messages.empty()) << View.Messages.front();

    TickAt(0.2); // the build
    EXPECT_EQ(View.Caption, "Kestrune initialising...");
    EXPECT_EQ(View.NextPassLabel, "Next pass: 10:00:30 UTC");
    EXPECT_EQ(View.TimerInterval, 1000);
    EXPECT_EQ(View.Led, ClGreen);
    EXPECT_EQ(View.UtcLabel, "Dec 08, 10:00:00 UTC");
    EXPECT_EQ(View.TrackingText, TrackingString("", 0));
    EXPECT_NE(test::ReadFileBytes(Dir.Path() / "Schedule.txt").find("20261208120000 N"),
              std::string::npos);

    // Idle until 10:00:19, the LED blinking with the UTC second.
    for (int s = 1; s <= 19; ++s)
        TickAt(s);
    EXPECT_EQ(View.Caption, "RX scanning...");
    EXPECT_EQ(View.Led, ClLime);
    EXPECT_EQ(StationStatusText(program.Status()), "Next pass: NOAA 19 at 2026-12-08T10:00:30Z");

    // 10:00:20 + the gap reaches the start: standby, a pause counted down, then the channel.
    TickAt(20);
    EXPECT_EQ(View.Led, ClAqua);
    EXPECT_EQ(View.NextPassLabel, "");
    EXPECT_EQ(View.TrackingText, TrackingString("NOAA 19", 137'200'000));
    for (int s = 21, left = 9; s <= 30; ++s, --left) {
        TickAt(s);
        EXPECT_EQ(View.Status, "  Pausing before signal " + std::to_string(left) + "s");
        EXPECT_EQ(View.Caption, "Kestrune -" + View.Status);
        EXPECT_EQ(View.Title, "Kestrune " + std::to_string(left) + "s  pre-pause");
    }
    TickAt(31);
    EXPECT_EQ(View.Caption, "NOAA 19 pass");
    EXPECT_EQ(View.Title, "NOAA 19 - pass");
    EXPECT_TRUE(View.SkipEnabled);
    EXPECT_EQ(View.TrackingText, TrackingString("NOAA 19", 137'100'000));
    for (int s = 32, left = 4; s <= 35; ++s, --left) {
        TickAt(s);
        EXPECT_EQ(View.Status,
                  "  Receiving NOAA 19 northbound,  " + std::to_string(left) + "s left");
        EXPECT_EQ(View.Title, "NOAA 19 (" + std::to_string(left) + "s)");
    }
    EXPECT_EQ(StationStatusText(program.Status()), "Receiving NOAA 19, 1 s left");
    TickAt(36);
    EXPECT_EQ(View.NextPassLabel, "Next pass: 12:00:00 UTC");
    EXPECT_FALSE(View.SkipEnabled);
    for (int s = 37, left = 9; s <= 46; ++s, --left) {
        TickAt(s);
        EXPECT_EQ(View.Title, "Kestrune " + std::to_string(left) + "s post-pause");
    }
    TickAt(47);
    EXPECT_EQ(View.Caption, "Kestrune active...");
    EXPECT_EQ(View.Led, ClGreen);
    EXPECT_EQ(View.TrackingHint, View.TrackingText);
    EXPECT_EQ(Tracking.Texts.size(), 48u); // every tick published once
    EXPECT_TRUE(View.Errors.empty());

    // The status after each tick: the steps of the pass with the receiver's channel.
    std::vector<std::string> steps;
    for (const TStationStatus& status : View.Statuses) {
        const std::string step = std::to_string(static_cast<int>(status.State)) + " " +
                                 status.Satellite + " " +
                                 (status.Channel ? std::to_string(*status.Channel) : "-") + " " +
                                 std::to_string(status.FrequencyHz);
        if (steps.empty() || steps.back() != step)
            steps.push_back(step);
    }
    EXPECT_EQ(steps,
              (std::vector<std::string>{"1  - 0", "2 NOAA 19 0 137200000", "3 NOAA 19 1 137100000",
                                        "4  0 137200000", "1  - 137200000"}));

    // The port: scan at the build; standby twice when the pass is seen; scan and channel 1
    // twice at its start; RTS high once a second while receiving; standby twice after it; RTS
    // low through the pause; scan twice at its end; RTS low at the start and at the close.
    Program.reset();
    std::string expected = At(0, "RTS 0\n") + At(0.2, "WRITE \"S\"\n");
    for (const char* call : {"WRITE \"F0\"\n", "WRITE \"F0\"\n"})
        expected += At(20, call);
    for (const char* call : {"WRITE \"S\"\n", "WRITE \"F1\"\n", "WRITE \"F1\"\n"})
        expected += At(31, call);
    for (int s = 32; s <= 36; ++s)
        expected += At(s, "RTS 1\n");
    expected += At(36, "WRITE \"F0\"\n") + At(36, "WRITE \"F0\"\n");
    for (int s = 37; s <= 47; ++s)
        expected += At(s, "RTS 0\n");
    expected += At(47, "WRITE \"S\"\n") + At(47, "WRITE \"S\"\n") + At(47, "RTS 0\n");
    EXPECT_EQ(test::ReadFileBytes(PortLogPath()), expected);
}

TEST_F(ProgramTest, ACommandCutShortByTheWriteTimeOutIsNotTakenAsSent) {
    PortName = "COM1";
    Store("RxType", RxRx2);
    Open();
    Program->SelectChannelItem(2);
    EXPECT_EQ(View.Caption, "RX channel 1");

    Hardware.SetWriteLimit(1); // "F3" times out after its first byte
    Program->SelectChannelItem(4);
    EXPECT_EQ(Hardware.Written(), "F1F");
    EXPECT_EQ(View.Caption, "RX channel 1") << "the receiver never got channel 3";
}

TEST_F(ProgramTest, TheReceiverTypeAndScanBoxAreReadForEveryFrontEnd) {
    Store("RxType", RxR139);
    Store("ScanWhenIdle", 0);
    Open();
    EXPECT_EQ(Program->Controls().ReceiverType, RxR139);
    EXPECT_FALSE(Program->Controls().ScanWhenIdle);
    Program.reset();

    // A type the list does not have is none; the start picks RX2, and the stored value is the
    // window's controls' to write, not the core's.
    Store("RxType", 7);
    Open();
    EXPECT_EQ(Program->Controls().ReceiverType, RxRx2);
    Program.reset();
    EXPECT_EQ(StoredInteger("RxType"), 7);
}

// "PassPriority" as a number or a text set by hand: 1 lets the higher pass win; anything but 0
// and 1 is said once at the start; the core never writes it.
TEST_F(ProgramTest, ThePassPriorityIsReadAsTheOperatorWroteIt) {
    Component.Passes["NOAA 19"] = WriteCommaText({"20261208100100 N 10 180 600 NOAA 19"});
    Component.Passes["NOAA 18"] = WriteCommaText({"20261208100200 N 60 180 600 NOAA 18"});
    Store("SatList", std::string("\"NOAA_19,B,0\",\"NOAA_18,B,0\""));
    Store("TleDataPath", std::string("/data/tle/"));
    for (const auto& [stored, winner] : std::vector<std::pair<std::string, std::string>>{
             {"", "NOAA 19"}, {"1", "NOAA 18"}, {"dword 1", "NOAA 18"}, {"high", "NOAA 19"}}) {
        SCOPED_TRACE(stored);
        if (stored == "dword 1")
            Store("PassPriority", 1);
        else if (!stored.empty())
            Store("PassPriority", stored);
        View.Warnings.clear();
        Open();
        RunUntil(1);
        ASSERT_FALSE(Program->PassList().Empty());
        EXPECT_EQ(Program->PassList().Pass(0).Satellite, winner);
        EXPECT_EQ(View.Warnings.size(), stored == "high" ? 1u : 0u);
        Program.reset();
    }
    EXPECT_EQ(StoredString("PassPriority"), "high");
}

} // namespace
} // namespace kestrune

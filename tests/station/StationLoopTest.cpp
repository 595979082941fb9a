#include "station/RebuildPlan.h"
#include "station/StationLog.h"
#include "station/TickTimer.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

class TFakeMonotonic final : public IMonotonicClock {
public:
    long long Ms = 5'000'000;
    long long Milliseconds() const override { return Ms; }
};

class TickTimerTest : public ::testing::Test {
protected:
    test::TFakeClock Wall{EncodeDateTime(2025, 5, 28, 9, 0, 0, 300)};
    TFakeMonotonic Monotonic;
    TTickTimer Timer{Wall, Monotonic};

    // Both clocks move on together.
    void Pass(int ms) {
        Monotonic.Ms += ms;
        Wall.AdvanceSeconds(ms / 1000.0);
    }
};

TEST_F(TickTimerTest, TheFirstTickAfterItsIntervalThenOnWholeSeconds) {
    EXPECT_EQ(Timer.WaitMs(false, 200), -1);
    EXPECT_EQ(Timer.WaitMs(true, 200), 200);
    Pass(150);
    EXPECT_FALSE(Timer.TakeDue());
    EXPECT_EQ(Timer.WaitMs(true, 200), 50);
    Pass(50);
    EXPECT_TRUE(Timer.TakeDue());
    EXPECT_FALSE(Timer.TakeDue());
    EXPECT_EQ(Timer.WaitMs(true, 1000), 500); // 09:00:00.500 to 09:00:01
}

TEST_F(TickTimerTest, AWallClockStepBackOrForwardNeitherFreezesNorRushesTheTicks) {
    Timer.WaitMs(true, 200);
    Pass(200);
    ASSERT_TRUE(Timer.TakeDue());
    ASSERT_EQ(Timer.WaitMs(true, 1000), 500);
    // NTP sets the clock back a minute while the station waits.
    Wall.AdvanceSeconds(-60);
    Pass(500);
    EXPECT_TRUE(Timer.TakeDue());
    EXPECT_EQ(Timer.WaitMs(true, 1000), 1000);
    // And forward an hour: the next tick still comes a second later, not at once.
    Wall.AdvanceSeconds(3600.25);
    EXPECT_FALSE(Timer.TakeDue());
    Pass(1000);
    EXPECT_TRUE(Timer.TakeDue());
    EXPECT_EQ(Timer.WaitMs(true, 1000), 750);
}

TEST_F(TickTimerTest, TurningTheTimerOffOrAResetForgetsThePlannedTick) {
    Timer.WaitMs(true, 200);
    EXPECT_EQ(Timer.WaitMs(false, 200), -1);
    Pass(300);
    EXPECT_FALSE(Timer.TakeDue());
    Timer.WaitMs(true, 1000);
    Timer.Reset();
    Pass(2000);
    EXPECT_FALSE(Timer.TakeDue());
}

class RebuildPlanTest : public ::testing::Test {
protected:
    std::string Folder = "weather.txt 100 1";
    int Scans = 0;
    TRebuildPlan Plan{[this] {
                          ++Scans;
                          return Folder;
                      },
                      0};
    const TDateTime Now = EncodeDateTime(2025, 5, 28, 9);
    TStationState State{0, Now, TSequencerState::Idle, true, false, Now + 3600 * OneSecond};

    std::optional<std::string> At(long long ms) {
        State.NowMs = ms;
        return Plan.Check(State);
    }
};

TEST_F(RebuildPlanTest, AFailedBuildIsTriedAfterAMinuteThenEveryTenMinutes) {
    State.State = TSequencerState::Initialise;
    State.TimerEnabled = false;
    EXPECT_FALSE(At(1000));
    EXPECT_TRUE(Plan.Failing());
    EXPECT_FALSE(At(60'999));
    EXPECT_EQ(At(61'000), "rebuilding the pass list: trying the failed build again");
    EXPECT_FALSE(At(61'000 + 599'999));
    EXPECT_TRUE(At(661'000));
    // The build worked: nothing more to retry.
    State.State = TSequencerState::Idle;
    State.TimerEnabled = true;
    EXPECT_FALSE(At(1'261'000));
    EXPECT_FALSE(Plan.Failing());
}

TEST_F(RebuildPlanTest, AnEmptyListIsRebuiltButNotMoreThanOnceAnHour) {
    State.PassListEmpty = true;
    State.NextStart = FarFuture;
    EXPECT_FALSE(At(EmptyListRebuildMs - 1));
    EXPECT_EQ(At(EmptyListRebuildMs), "rebuilding the pass list: the pass list is empty");
    EXPECT_FALSE(At(EmptyListRebuildMs + 1000));
    EXPECT_TRUE(At(2 * EmptyListRebuildMs));
}

TEST_F(RebuildPlanTest, ADayOldListIsRebuiltOnlyAtAQuietMoment) {
    State.NextStart = Now + 60 * OneSecond; // a pass within the next five minutes
    EXPECT_FALSE(At(DailyRebuildMs));
    State.State = TSequencerState::Receiving;
    State.NextStart = Now + 3600 * OneSecond;
    EXPECT_FALSE(At(DailyRebuildMs + 1000));
    for (TSequencerState busy : {TSequencerState::PrePass, TSequencerState::PostPass}) {
        State.State = busy;
        EXPECT_FALSE(At(DailyRebuildMs + 2000));
    }
    State.State = TSequencerState::Idle;
    EXPECT_EQ(At(DailyRebuildMs + 3000), "rebuilding the pass list: the pass list is a day old");
    EXPECT_FALSE(At(DailyRebuildMs + 4000));
}

TEST_F(RebuildPlanTest, ChangedElementFilesAreNoticedWithinAMinute) {
    EXPECT_FALSE(At(0));
    Folder = "weather.txt 120 2";
    EXPECT_FALSE(At(30'000)); // not scanned again yet
    EXPECT_EQ(Scans, 1);
    State.NextStart = Now + 60 * OneSecond;
    EXPECT_FALSE(At(60'000)); // changed, but a pass is near
    EXPECT_EQ(At(120'000), std::nullopt);
    State.NextStart = Now + 3600 * OneSecond;
    EXPECT_EQ(At(121'000), "rebuilding the pass list: the element files changed");
    EXPECT_FALSE(At(181'000));
}

TEST(FolderState, FollowsTheFilesSizesAndTimes) {
    test::TTempDir folder;
    const auto file = folder.Write("weather.txt", "NOAA 19\n");
    const std::string first = FolderState(folder.Path());
    EXPECT_NE(first.find("weather.txt 8 "), std::string::npos) << first;
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) +
                                               std::chrono::seconds(5));
    const std::string touched = FolderState(folder.Path());
    EXPECT_NE(touched, first);
    folder.Write("amateur.txt", "");
    EXPECT_NE(FolderState(folder.Path()), touched);
    EXPECT_NE(FolderState(folder.Path() / "missing"), FolderState(folder.Path()));
}

TEST(StationLog, TimeStampedLinesOrTheJournalsPriorities) {
    test::TFakeClock clock{EncodeDateTime(2026, 12, 8, 5, 50, 1, 123)};
    std::vector<std::string> out, err;
    auto toOut = [&](const std::string& l) { out.push_back(l); };
    auto toErr = [&](const std::string& l) { err.push_back(l); };
    TStationLog plain(clock, false, toOut, toErr);
    plain.Write(TLogLevel::Info, "caption: RX scanning...");
    plain.Write(TLogLevel::Warning, "warning: w");
    plain.Write(TLogLevel::Error, "error: e");
    EXPECT_EQ(out, (std::vector<std::string>{"2026-12-08T05:50:01.123Z caption: RX scanning...",
                                             "2026-12-08T05:50:01.123Z warning: w",
                                             "2026-12-08T05:50:01.123Z error: e"}));
    EXPECT_EQ(err, (std::vector<std::string>{"2026-12-08T05:50:01.123Z warning: w",
                                             "2026-12-08T05:50:01.123Z error: e"}));
    out.clear();
    err.clear();
    TStationLog journal(clock, true, toOut, toErr);
    journal.Write(TLogLevel::Info, "caption: RX scanning...");
    journal.Write(TLogLevel::Warning, "warning: w");
    journal.Write(TLogLevel::Error, "error: e");
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(err, (std::vector<std::string>{"<6>caption: RX scanning...", "<4>warning: w",
                                             "<3>error: e"}));
}

} // namespace
} // namespace kestrune

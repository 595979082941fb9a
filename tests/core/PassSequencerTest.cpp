#include "core/CommaText.h"
#include "core/FakeStation.h"
#include "core/SatelliteList.h"
#include "support/PassTexts.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

using TStrings = std::vector<std::string>;
using test::TFakePort;

// The station starts at 09:00:00.000; the pass of NOAA 19 rises at 09:00:30 and lasts 5 s.
const TDateTime Origin = EncodeDateTime(2025, 5, 28, 9);
const std::string Noaa19Pass = "20250528090030 N 40 180 5 NOAA 19";
const std::string LaterPass = "20250528120000 S 40 180 600 NOAA 19";

std::string Tracking(double mhz, const std::string& satellite) {
    return TrackingString(satellite, mhz * 1'000'000);
}

class PassSequencerTest : public ::testing::Test {
protected:
    test::TFakeStation Station{Origin};
    test::TFakeWindow& Window = Station.Window;
    TFakePort& Port = Station.Port;
    TPassSequencer& Sequencer = Station.Sequencer;

    void SetUp() override {
        Station.Component.Passes["NOAA 19"] = WriteCommaText({Noaa19Pass, LaterPass});
        Window.Rows = {{"NOAA 19", "B", "0"}};
    }

    // Ticks at 0.2 s (the build), then every whole second up to `lastSecond`.
    void RunUntil(int lastSecond, int firstSecond = 1) {
        if (firstSecond == 1)
            Station.TickAt(0.2);
        for (int s = firstSecond; s <= lastSecond; ++s)
            Station.TickAt(s);
    }
    std::vector<TFakePort::TEvent> EventsFrom(long long fromMs) const {
        std::vector<TFakePort::TEvent> events;
        for (const auto& event : Port.Events)
            if (event.AtMs >= fromMs)
                events.push_back(event);
        return events;
    }
};

TEST_F(PassSequencerTest, ThePrePassPauseEndsByTheClockWhenTicksWereSwallowed) {
    RunUntil(20);
    ASSERT_EQ(Sequencer.State(), TSequencerState::PrePass);
    // The standby command blocked the ticks of 09:00:21 and 09:00:22; the count goes on from
    // where it was, but the channel is switched on the tick one second after the start.
    RunUntil(30, 23);
    EXPECT_EQ(Window.Caption, "Kestrune -  Pausing before signal 2s");
    Station.TickAt(31);
    EXPECT_EQ(Sequencer.State(), TSequencerState::Receiving);
    EXPECT_EQ(Window.Caption, "NOAA 19 pass");
    EXPECT_EQ(EventsFrom(21000),
              (std::vector<TFakePort::TEvent>{
                  {31000, "WRITE S"}, {31000, "WRITE F1"}, {31000, "WRITE F1"}}));
}

TEST_F(PassSequencerTest, OtherReceiverTypesGetTheirOwnCommands) {
    struct TCase {
        int Type;
        TStrings Writes;
    };
    const TCase cases[] = {
        {RxR139, {"FS", "F0", "F0", "FS", "F1", "F1", "F0", "F0", "FS", "FS"}},
        {RxR2fx, {"C", "0", "3", "7", "2", "C", "0", "3", "7", "2", "C", "0", "3", "7", "1",
                  "C", "0", "3", "7", "1", "C", "0", "3", "7", "2", "C", "0", "3", "7", "2"}},
        {RxDde, {}},
    };
    for (const TCase& c : cases) {
        test::TFakeStation station{Origin};
        station.Component.Passes["NOAA 19"] = WriteCommaText({Noaa19Pass});
        station.Window.Rows = {{"NOAA 19", "B", "0"}};
        station.Window.RxType = c.Type;
        station.TickAt(0.2);
        for (int s = 1; s <= 60; ++s)
            station.TickAt(s);
        EXPECT_EQ(station.Port.Writes(), c.Writes) << "type " << c.Type;
        EXPECT_EQ(station.Sequencer.State(), TSequencerState::Idle);
        EXPECT_EQ(station.Window.TrackingText,
                  Tracking(137.2, "")); // DN keeps the last channel handled: standby
    }
}

TEST_F(PassSequencerTest, SkipEndsTheReceptionOnTheNextTick) {
    RunUntil(32);
    Sequencer.ButtonSkipClick();
    Station.TickAt(33);
    EXPECT_EQ(Sequencer.State(), TSequencerState::PostPass);
    EXPECT_EQ(test::PassTexts(Station.PassList), TStrings{LaterPass});
}

TEST_F(PassSequencerTest, ASelectedLaterLineIsRemovedWithTheHead) {
    Station.Component.Passes["NOAA 19"] =
        WriteCommaText({Noaa19Pass, "20250528100000 N 40 180 5 NOAA 19",
                        "20250528110000 N 40 180 5 NOAA 19", LaterPass});
    RunUntil(32);
    Station.PassList.SetItemIndex(2);
    RunUntil(36, 33);
    EXPECT_EQ(test::PassTexts(Station.PassList), TStrings{LaterPass});
    EXPECT_EQ(Station.PassList.ItemIndex(), -1);
}

TEST_F(PassSequencerTest, AnEmptyListStaysIdle) {
    Station.Component.Passes.clear();
    RunUntil(5);
    EXPECT_EQ(Sequencer.NextStart(), FarFuture);
    EXPECT_EQ(Window.NextPassLabel, "");
    EXPECT_EQ(Sequencer.State(), TSequencerState::Idle);
}

TEST_F(PassSequencerTest, APassFoundLateRunsItsPauseButEndsWhenTheSatelliteSets) {
    // Two minutes from 09:00:30 to 09:02:30; the machine wakes at 09:01:40, inside it.
    Station.Component.Passes["NOAA 19"] =
        WriteCommaText({"20250528090030 N 40 180 120 NOAA 19", LaterPass});
    RunUntil(1);
    Station.TickAt(100);
    EXPECT_EQ(Sequencer.State(), TSequencerState::PrePass);
    RunUntil(110, 101);
    EXPECT_EQ(Window.Caption, "Kestrune -  Pausing before signal 0s");
    RunUntil(150, 111);
    EXPECT_EQ(Sequencer.State(), TSequencerState::Receiving);
    EXPECT_EQ(Port.Events.back(), (TFakePort::TEvent{150000, "RTS 1"}));
    // The first tick after the set ends the reception and lowers RTS on the next.
    Station.TickAt(151);
    EXPECT_EQ(Sequencer.State(), TSequencerState::PostPass);
    Station.TickAt(152);
    EXPECT_EQ(Port.Events.back(), (TFakePort::TEvent{152000, "RTS 0"}));
}

TEST_F(PassSequencerTest, PassesThatEndedWhileAsleepAreDroppedNotReplayed) {
    Station.Component.Passes["NOAA 19"] = WriteCommaText(
        {Noaa19Pass, "20250528090100 N 40 180 20 NOAA 19", "20250528100000 N 40 180 5 NOAA 19"});
    RunUntil(1);
    // Asleep until 09:01:20, the end of the second pass.
    Station.TickAt(80);
    EXPECT_EQ(Sequencer.State(), TSequencerState::Idle);
    EXPECT_EQ(test::PassTexts(Station.PassList), TStrings{"20250528100000 N 40 180 5 NOAA 19"});
    EXPECT_EQ(Window.NextPassLabel, "Next pass: 10:00:00 UTC");
}

TEST_F(PassSequencerTest, AnUnreadableHeadIsRemovedSoLaterPassesStart) {
    Station.Component.Passes["NOAA 19"] =
        WriteCommaText({"20250528090030 N 40 180 long NOAA 19", "20250528090100 S 40 180 5 X"});
    RunUntil(20);
    EXPECT_EQ(Sequencer.State(), TSequencerState::Idle);
    EXPECT_EQ(test::PassTexts(Station.PassList), TStrings{"20250528090100 S 40 180 5 X"});
    RunUntil(50, 21);
    EXPECT_EQ(Sequencer.State(), TSequencerState::PrePass);
    RunUntil(61, 51);
    // A satellite without a channel of its own is received with scan selected.
    EXPECT_EQ(Window.Caption, "X pass");
    EXPECT_EQ(Station.Receiver.ChannelIndex(), 0);
}

TEST_F(PassSequencerTest, APortLostInAPassIsReportedOnceClosedAndReopenedBeforeTheNext) {
    RunUntil(31);
    Port.FailRts = 1000; // the adapter is pulled out
    Port.Present = false;
    // The report comes when the tick is over: ticks while it is open go on counting.
    Window.WhileErrorShown = [&] { Station.TickAt(33); };
    Station.TickAt(32);
    Window.WhileErrorShown = nullptr;
    EXPECT_EQ(Window.Errors, TStrings{"Error setting RTS"});
    EXPECT_EQ(Window.Status, "  Receiving NOAA 19 northbound,  3s left");
    EXPECT_FALSE(Port.Open);
    EXPECT_EQ(Port.Events.back(), (TFakePort::TEvent{32000, "CLOSE"}));

    // The pass and its pause are counted to their end without the port and without a word.
    RunUntil(47, 34);
    EXPECT_EQ(Sequencer.State(), TSequencerState::Idle);
    EXPECT_EQ(Window.Errors.size(), 1u);
    EXPECT_EQ(Port.Events.back().What, "CLOSE");

    // Plugged in again: the next pass's pre-pass pause opens it, and RTS follows the pass.
    Port.Present = true;
    Port.FailRts = 0;
    const double later = 3 * 3600;
    for (double s = later - 11; s <= later + 3; ++s)
        Station.TickAt(s);
    EXPECT_EQ(EventsFrom(32001).front(), (TFakePort::TEvent{(3 * 3600 - 10) * 1000LL, "REOPEN"}));
    EXPECT_EQ(Port.Events.back(), (TFakePort::TEvent{(3 * 3600 + 3) * 1000LL, "RTS 1"}));
    EXPECT_EQ(Window.Errors.size(), 1u);
}

TEST_F(PassSequencerTest, APortMissingAtStartIsTriedAtEachPrePassPauseWithoutAWord) {
    Port.Open = false;
    Port.Present = false;
    RunUntil(33);
    EXPECT_EQ(Sequencer.State(), TSequencerState::Receiving);
    EXPECT_EQ(Port.Events, (std::vector<TFakePort::TEvent>{{20000, "REOPEN failed"}}));
    EXPECT_TRUE(Window.Errors.empty());
}

TEST_F(PassSequencerTest, ABuildErrorLeavesTheTimerOffUntilRestart) {
    Station.Component.Failures["ComputePasses"] = EFail;
    Station.TickAt(0.2);
    ASSERT_EQ(Window.Errors.size(), 1u);
    EXPECT_FALSE(Window.TimerEnabled);
    EXPECT_EQ(Sequencer.State(), TSequencerState::Initialise);
    Station.Component.Failures.clear();
    Sequencer.ButtonRestartClick();
    EXPECT_EQ(Window.Led, ClYellow);
    EXPECT_TRUE(Window.TimerEnabled);
    Station.TickAt(1);
    EXPECT_EQ(Sequencer.State(), TSequencerState::Idle);
    EXPECT_EQ(Station.PassList.Count(), 2);
}

TEST_F(PassSequencerTest, TicksDuringAnErrorReportDoNothing) {
    Station.Component.Failures["ComputePasses"] = EFail;
    Window.WhileErrorShown = [&] {
        Station.TickAt(0.5);
        Station.TickAt(0.8);
    };
    Station.TickAt(0.2);
    EXPECT_EQ(Window.Errors.size(), 1u);
    EXPECT_TRUE(Station.Server.Texts.empty());
}

TEST_F(PassSequencerTest, ARestartDuringAReceptionEndsIt) {
    RunUntil(33);
    ASSERT_EQ(Sequencer.State(), TSequencerState::Receiving);
    Sequencer.ButtonRestartClick();
    EXPECT_EQ(Port.Events.back().What, "RTS 0");
    EXPECT_FALSE(Window.SkipEnabled);
    EXPECT_FALSE(Window.ProgressVisible);
    EXPECT_EQ(Sequencer.CurrentSatellite(), "");
    // The rebuild finds the pass under way no more (it started before this second).
    Station.TickAt(34);
    EXPECT_EQ(Sequencer.State(), TSequencerState::Idle);
    EXPECT_EQ(test::PassTexts(Station.PassList), TStrings{LaterPass});
    EXPECT_EQ(Window.TrackingText, Tracking(137.1, ""));
}

TEST_F(PassSequencerTest, ExitStopsTheTimerAndClosesTheWindow) {
    RunUntil(2);
    Sequencer.ButtonExitClick();
    EXPECT_FALSE(Window.TimerEnabled);
    EXPECT_TRUE(Window.Closed);
}

TEST(PassSequencer, SatelliteChannels) {
    EXPECT_EQ(SatelliteChannelItem("NOAA 15"), 5);
    EXPECT_EQ(SatelliteChannelItem("NOAA 18"), 6);
    EXPECT_EQ(SatelliteChannelItem("NOAA 19"), 2);
    EXPECT_EQ(SatelliteChannelItem("noaa 19"), 0);
    EXPECT_EQ(SatelliteChannelItem("METEOR-M2 3"), 0);
    // A row's own channel wins; without one the table, then scan.
    const std::vector<TSatelliteRow> rows{
        {"METEOR-M2 3", "B", "330", "5"}, {"NOAA 19", "N", "720", "7"}, {"NOAA 18", "N", "720"}};
    EXPECT_EQ(SatelliteChannelItem("METEOR-M2 3", rows), 6);
    // The pass carries the name in capitals; a row written otherwise is still its row.
    EXPECT_EQ(SatelliteChannelItem("METEOR-M2 3", {{"Meteor-M2 3", "B", "330", "5"}}), 6);
    EXPECT_EQ(SatelliteChannelItem("NOAA 19", rows), 8);
    EXPECT_EQ(SatelliteChannelItem("NOAA 18", rows), 6);
    EXPECT_EQ(SatelliteChannelItem("METEOR-M2 4", rows), 0);
}

TEST_F(PassSequencerTest, AMeteorPassOnItsOwnChannel) {
    Station.Component.Passes["METEOR-M2 3"] =
        WriteCommaText({"20250528090030 S 40 180 3 METEOR-M2 3"});
    // The row as the user wrote it; the pass carries the name in capitals.
    Window.Rows = {{"Meteor-M2 3", "B", "0"}};
    ApplySatChannels(Window.Rows, "\"Meteor-M2_3,5\"");
    Sequencer.SetChannelChoice([this](const std::string& satellite) {
        return SatelliteChannelItem(satellite, Window.Rows);
    });
    RunUntil(31);
    // Standby before the pass, then scan and the satellite's channel 5 as it starts.
    EXPECT_EQ(EventsFrom(20000), (std::vector<TFakePort::TEvent>{{20000, "WRITE F0"},
                                                                 {20000, "WRITE F0"},
                                                                 {31000, "WRITE S"},
                                                                 {31000, "WRITE F5"},
                                                                 {31000, "WRITE F5"}}));
    Station.TickAt(32);
    EXPECT_EQ(Window.TrackingText, Tracking(137.91, "METEOR-M2 3"));
}

} // namespace
} // namespace kestrune

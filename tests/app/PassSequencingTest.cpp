// The pass sequencer as the program core runs it: the receiver types' commands through a pass,
// Skip, restarts, late and sleeping machines, unreadable lines, a port lost and missing, build
// errors and the satellites' own channels.

#include "app/ProgramFixture.h"
#include "core/CommaText.h"
#include "core/SatelliteList.h"
#include "core/TrackingString.h"
#include "support/PassTexts.h"

namespace kestrune {
namespace {

using TStrings = std::vector<std::string>;

// The program starts at 09:00:00.000; the pass of NOAA 19 rises at 09:00:30 and lasts 5 s.
const TDateTime Origin = EncodeDateTime(2025, 5, 28, 9);
const std::string Noaa19Pass = "20250528090030 N 40 180 5 NOAA 19";
const std::string LaterPass = "20250528120000 S 40 180 600 NOAA 19";

std::string TrackingAt(double mhz, const std::string& satellite) {
    return TrackingString(satellite, mhz * 1'000'000);
}

class PassSequencingTest : public test::TProgramFixture {
protected:
    PassSequencingTest() : TProgramFixture(Origin) {
        Component.Passes["NOAA 19"] = WriteCommaText({Noaa19Pass, LaterPass});
        Store("SatList", std::string("\"NOAA_19,B,0\""));
        Store("TleDataPath", std::string("/data/tle/"));
        Store("RxType", RxRx2);
    }
    const TPassSequencer& Sequencer() const { return Program->Sequencer(); }
};

TEST_F(PassSequencingTest, ThePrePassPauseEndsByTheClockWhenTicksWereSwallowed) {
    Open();
    RunUntil(20);
    ASSERT_EQ(Sequencer().State(), TSequencerState::PrePass);
    // The standby command blocked the ticks of 09:00:21 and 09:00:22; the count goes on from
    // where it was, but the channel is switched on the tick one second after the start.
    RunUntil(30, 23);
    EXPECT_EQ(View.Caption, "Kestrune -  Pausing before signal 2s");
    TickAt(31);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Receiving);
    EXPECT_EQ(View.Caption, "NOAA 19 pass");
    EXPECT_EQ(
        PortEvents(21000),
        (std::vector<TPortEvent>{{31000, "WRITE S"}, {31000, "WRITE F1"}, {31000, "WRITE F1"}}));
}

TEST_F(PassSequencingTest, OtherReceiverTypesGetTheirOwnCommands) {
    struct TCase {
        int Type;
        TStrings Writes;
    };
    const TCase cases[] = {
        {RxR139, {"FS", "F0", "F0", "FS", "F1", "F1", "F0", "F0", "FS", "FS"}},
        {RxR2fx, {"C", "0", "3", "7", "2", "C", "0", "3", "7", "2", "C", "0", "3", "7", "1",
                  "C", "0", "3", "7", "1", "C", "0", "3", "7", "2", "C", "0", "3", "7", "2"}},
    };
    for (const TCase& c : cases) {
        Store("RxType", c.Type);
        std::filesystem::remove(PortLogPath());
        Open();
        RunUntil(60);
        EXPECT_EQ(Writes(), c.Writes) << "type " << c.Type;
        EXPECT_EQ(Sequencer().State(), TSequencerState::Idle);
        // DN keeps the last channel handled: standby.
        EXPECT_EQ(View.TrackingText, TrackingAt(137.2, ""));
        Program.reset();
    }
    // DDE opens no port and sends nothing.
    Store("RxType", RxDde);
    Hardware.ClearCalls();
    Open();
    RunUntil(60);
    EXPECT_EQ(Hardware.CountOf("Open"), 0);
    EXPECT_EQ(View.TrackingText, TrackingAt(137.2, ""));
}

TEST_F(PassSequencingTest, SkipEndsTheReceptionOnTheNextTick) {
    Open();
    RunUntil(32);
    Program->SkipPass();
    TickAt(33);
    EXPECT_EQ(Sequencer().State(), TSequencerState::PostPass);
    EXPECT_EQ(test::PassTexts(Program->PassList()), TStrings{LaterPass});
}

TEST_F(PassSequencingTest, ASelectedLaterLineIsRemovedWithTheHead) {
    Component.Passes["NOAA 19"] = WriteCommaText({Noaa19Pass, "20250528100000 N 40 180 5 NOAA 19",
                                                  "20250528110000 N 40 180 5 NOAA 19", LaterPass});
    Open();
    RunUntil(32);
    Program->PassList().SetItemIndex(2);
    RunUntil(36, 33);
    EXPECT_EQ(test::PassTexts(Program->PassList()), TStrings{LaterPass});
    EXPECT_EQ(Program->PassList().ItemIndex(), -1);
}

TEST_F(PassSequencingTest, AnEmptyListStaysIdle) {
    Component.Passes.clear();
    Open();
    RunUntil(5);
    EXPECT_EQ(Sequencer().NextStart(), FarFuture);
    EXPECT_EQ(View.NextPassLabel, "");
    EXPECT_EQ(Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(StationStatusText(Program->Status()), "No pass in the list");
}

TEST_F(PassSequencingTest, APassFoundLateRunsItsPauseButEndsWhenTheSatelliteSets) {
    // Two minutes from 09:00:30 to 09:02:30; the machine wakes at 09:01:40, inside it.
    Component.Passes["NOAA 19"] =
        WriteCommaText({"20250528090030 N 40 180 120 NOAA 19", LaterPass});
    Open();
    RunUntil(1);
    TickAt(100);
    EXPECT_EQ(Sequencer().State(), TSequencerState::PrePass);
    RunUntil(110, 101);
    EXPECT_EQ(View.Caption, "Kestrune -  Pausing before signal 0s");
    RunUntil(150, 111);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Receiving);
    EXPECT_EQ(PortEvents().back(), (TPortEvent{150000, "RTS 1"}));
    // The first tick after the set ends the reception and lowers RTS on the next.
    TickAt(151);
    EXPECT_EQ(Sequencer().State(), TSequencerState::PostPass);
    TickAt(152);
    EXPECT_EQ(PortEvents().back(), (TPortEvent{152000, "RTS 0"}));
}

TEST_F(PassSequencingTest, PassesThatEndedWhileAsleepAreDroppedNotReplayed) {
    Component.Passes["NOAA 19"] = WriteCommaText(
        {Noaa19Pass, "20250528090100 N 40 180 20 NOAA 19", "20250528100000 N 40 180 5 NOAA 19"});
    Open();
    RunUntil(1);
    // Asleep until 09:01:20, the end of the second pass.
    TickAt(80);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(test::PassTexts(Program->PassList()), TStrings{"20250528100000 N 40 180 5 NOAA 19"});
    EXPECT_EQ(View.NextPassLabel, "Next pass: 10:00:00 UTC");
}

TEST_F(PassSequencingTest, AnUnreadableHeadIsRemovedSoLaterPassesStart) {
    Component.Passes["NOAA 19"] =
        WriteCommaText({"20250528090030 N 40 180 long NOAA 19", "20250528090100 S 40 180 5 X"});
    Open();
    RunUntil(20);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(test::PassTexts(Program->PassList()), TStrings{"20250528090100 S 40 180 5 X"});
    RunUntil(50, 21);
    EXPECT_EQ(Sequencer().State(), TSequencerState::PrePass);
    RunUntil(61, 51);
    // A satellite without a channel of its own is received with scan selected.
    EXPECT_EQ(View.Caption, "X pass");
    EXPECT_EQ(Program->Receiver().ChannelIndex(), 0);
}

TEST_F(PassSequencingTest, APortLostInAPassIsReportedOnceClosedAndReopenedBeforeTheNext) {
    Open();
    RunUntil(31);
    // The adapter is pulled out.
    Hardware.FailCall("EscapeCommFunction", EIO);
    Hardware.Ports.erase("COM1");
    // The report comes when the tick is over: ticks while it is open go on counting.
    View.WhileErrorShown = [&] { TickAt(33); };
    TickAt(32);
    View.WhileErrorShown = nullptr;
    ASSERT_EQ(View.Errors.size(), 1u);
    EXPECT_EQ(View.Status, "  Receiving NOAA 19 northbound,  3s left");
    EXPECT_FALSE(Program->Port().Connected());

    // The pass and its pause are counted to their end without the port and without a word.
    RunUntil(47, 34);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(View.Errors.size(), 1u);
    EXPECT_EQ(PortEvents(32001), std::vector<TPortEvent>{});

    // Plugged in again: the next pass's pre-pass pause opens it, and RTS follows the pass.
    Hardware.Ports.insert("COM1");
    Hardware.FailCall("EscapeCommFunction", 0);
    const int later = 3 * 3600;
    for (int s = later - 11; s <= later + 3; ++s)
        TickAt(s);
    EXPECT_EQ(View.Notices,
              TStrings{"the port spy://COM1?file=" + PortLogPath() + " is open again"});
    EXPECT_EQ(PortEvents(32001).front(), (TPortEvent{(later - 10) * 1000LL, "RTS 0"}));
    EXPECT_EQ(PortEvents().back(), (TPortEvent{(later + 3) * 1000LL, "RTS 1"}));
    EXPECT_EQ(View.Errors.size(), 1u);
}

TEST_F(PassSequencingTest, APortMissingAtStartIsTriedAtEachPrePassPauseWithoutAWord) {
    Hardware.Ports.erase("COM1");
    Open();
    ASSERT_EQ(View.Messages.size(), 1u); // "Error opening: ...", as the window says
    const int opensAtStart = Hardware.CountOf("Open");
    RunUntil(33);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Receiving);
    EXPECT_EQ(Hardware.CountOf("Open"), opensAtStart + 1); // at the pass's pre-pass pause
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_EQ(View.Messages.size(), 1u);
}

TEST_F(PassSequencingTest, ABuildErrorLeavesTheTimerOffUntilRestart) {
    Component.Failures["ComputePasses"] = EFail;
    Open();
    TickAt(0.2);
    ASSERT_EQ(View.Errors.size(), 1u);
    EXPECT_FALSE(View.TimerEnabled);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Initialise);
    Component.Failures.clear();
    Program->Rebuild();
    EXPECT_EQ(View.Led, ClYellow);
    EXPECT_TRUE(View.TimerEnabled);
    TickAt(1);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(Program->PassList().Count(), 2);
}

TEST_F(PassSequencingTest, TicksDuringAnErrorReportDoNothing) {
    Component.Failures["ComputePasses"] = EFail;
    Open();
    View.WhileErrorShown = [&] {
        TickAt(0.5);
        TickAt(0.8);
    };
    TickAt(0.2);
    EXPECT_EQ(View.Errors.size(), 1u);
    EXPECT_TRUE(Tracking.Texts.empty());
}

TEST_F(PassSequencingTest, ARestartDuringAReceptionEndsIt) {
    Open();
    RunUntil(33);
    ASSERT_EQ(Sequencer().State(), TSequencerState::Receiving);
    Program->Rebuild();
    EXPECT_EQ(PortEvents().back().What, "RTS 0");
    EXPECT_FALSE(View.SkipEnabled);
    EXPECT_FALSE(View.ProgressVisible);
    EXPECT_EQ(Sequencer().CurrentSatellite(), "");
    // The rebuild finds the pass under way no more (it started before this second).
    TickAt(34);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(test::PassTexts(Program->PassList()), TStrings{LaterPass});
    EXPECT_EQ(View.TrackingText, TrackingAt(137.1, ""));
}

TEST_F(PassSequencingTest, ExitStopsTheTimerAndClosesTheWindow) {
    Open();
    RunUntil(2);
    Program->Exit();
    EXPECT_FALSE(View.TimerEnabled);
    EXPECT_TRUE(View.Closed);
}

TEST_F(PassSequencingTest, AMeteorPassOnItsOwnChannel) {
    Component.Passes["METEOR-M2 3"] = WriteCommaText({"20250528090030 S 40 180 3 METEOR-M2 3"});
    // The row as the user wrote it; the pass carries the name in capitals.
    Store("SatList", std::string("\"Meteor-M2_3,B,0\""));
    Store("SatChannels", std::string("\"Meteor-M2_3,5\""));
    Open();
    RunUntil(31);
    // Standby before the pass, then scan and the satellite's channel 5 as it starts.
    EXPECT_EQ(PortEvents(20000), (std::vector<TPortEvent>{{20000, "WRITE F0"},
                                                          {20000, "WRITE F0"},
                                                          {31000, "WRITE S"},
                                                          {31000, "WRITE F5"},
                                                          {31000, "WRITE F5"}}));
    TickAt(32);
    EXPECT_EQ(View.TrackingText, TrackingAt(137.91, "METEOR-M2 3"));
}

// A Meteor pass on its own frequency, mode and passband (the commands and the tracking string
// are the end-to-end test's): tuned once at the start, left alone by standby and scan around
// it, named in the status line, and the item stored back as it was written.
TEST_F(PassSequencingTest, AMeteorPassOnItsOwnFrequencyModeAndPassband) {
    Component.Passes["METEOR-M2 3"] = WriteCommaText({"20250528090030 S 40 180 3 METEOR-M2 3"});
    Store("SatList", std::string("\"METEOR-M2_3,B,0\""));
    const std::string channels = "\"METEOR-M2_3,137900000,FM,120000\"";
    Store("SatChannels", channels);
    Store("RxType", RxRigctl);
    Open();
    ASSERT_NE(Rig, nullptr);
    RunUntil(30);
    EXPECT_EQ(Rig->Transactions, 0);
    TickAt(31);
    EXPECT_EQ(Rig->Transactions, 1);
    EXPECT_EQ(View.Caption, "METEOR-M2 3 pass");
    EXPECT_EQ(Program->StatusLine(), "Receiving METEOR-M2 3, 3 s left | rigctl: 137.900 MHz");
    RunUntil(45, 32);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(Rig->Transactions, 1) << "standby and scan leave the rig where it is";
    Program.reset();
    EXPECT_EQ(StoredString("SatChannels"), channels);
}

// An SDR program tuned over rig control: left alone before and after the pass; nothing listens
// when the pass starts, the server is up six seconds later and the rig is tuned at the next tick.
TEST_F(PassSequencingTest, ARigctlPassIsTunedOnceTheServerIsUpAndTheRigLeftAloneAround) {
    Component.Passes["NOAA 19"] = WriteCommaText({"20250528090030 N 40 180 20 NOAA 19"});
    Store("RxType", RxRigctl);
    Open();
    ASSERT_NE(Rig, nullptr);
    RunUntil(30);
    EXPECT_EQ(Rig->Transactions, 0) << "standby before the pass leaves the rig alone";
    const std::string refused =
        "the rig-control server at 127.0.0.1:4532 cannot be reached: Connection refused";
    Rig->Failure = refused;
    RunUntil(36, 31);
    EXPECT_EQ(Rig->Transactions, 6) << "once at the start and once at each later tick";
    Rig->Failure.clear();
    TickAt(37);
    EXPECT_EQ(Rig->Sent, (TStrings{"F 137100000", "M FM 40000"}));
    EXPECT_EQ(View.Warnings, TStrings{refused});
    EXPECT_EQ(View.Notices,
              TStrings{"the rig-control server at 127.0.0.1:4532 tuned the rig to 137100000 Hz"});
    RunUntil(80, 38);
    EXPECT_EQ(Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(Rig->Transactions, 7) << "tuned once; standby after the pass leaves the rig alone";
}

// The pass commands are told of each reception as the pass runs.
class PassCommandsTest : public test::TProgramFixture {
protected:
    PassCommandsTest() : TProgramFixture(Origin) {
        Component.Passes["NOAA 19"] = WriteCommaText({"20250528090030 S 41 187 5 NOAA 19"});
        Store("SatList", std::string("\"NOAA_19,B,0\""));
        Store("TleDataPath", std::string("/data/tle/"));
        Store("PassStartCommand", std::string("record"));
        Store("PassEndCommand", std::string("decode"));
    }
    TStrings Commands() const {
        TStrings commands;
        for (const auto& run : Processes.Runs)
            commands.push_back(run->Command);
        return commands;
    }
};

TEST_F(PassCommandsTest, StartWithTheChannelEndOnceWhenThePassIsOver) {
    Open();
    RunUntil(30);
    EXPECT_TRUE(Processes.Runs.empty()) << "nothing before the pre-pass pause is over";
    TickAt(31);
    ASSERT_EQ(Commands(), TStrings{"record"});
    const test::TFakeRun& start = *Processes.Runs[0];
    EXPECT_EQ(start.Variable("KESTRUNE_SATELLITE"), "NOAA 19");
    EXPECT_EQ(start.Variable("KESTRUNE_FREQUENCY_HZ"), "137100000");
    EXPECT_EQ(start.Variable("KESTRUNE_DIRECTION"), "S");
    EXPECT_EQ(start.Variable("KESTRUNE_LENGTH_S"), "5");
    EXPECT_EQ(start.Variable("KESTRUNE_START_UTC"), "2025-05-28T09:00:30Z");
    EXPECT_EQ(start.Variable("KESTRUNE_END_UTC"), "2025-05-28T09:00:35Z");
    EXPECT_EQ(start.Variable("KESTRUNE_MAX_ELEVATION"), "41");
    EXPECT_EQ(start.Variable("KESTRUNE_MAX_AZIMUTH"), "187");

    RunUntil(60, 32);
    EXPECT_EQ(Program->Sequencer().State(), TSequencerState::Idle);
    EXPECT_EQ(Commands(), (TStrings{"record", "decode"}));
    EXPECT_TRUE(View.Warnings.empty());
}

TEST_F(PassCommandsTest, ASatelliteWithoutAChannelGetsFrequencyZero) {
    Component.Passes.clear();
    Component.Passes["METEOR-M2 3"] = WriteCommaText({"20250528090030 N x y 5 METEOR-M2 3"});
    Store("SatList", std::string("\"METEOR-M2_3,B,0\""));
    Open();
    RunUntil(31);
    ASSERT_EQ(Processes.Runs.size(), 1u);
    EXPECT_EQ(Processes.Runs[0]->Variable("KESTRUNE_FREQUENCY_HZ"), "0");
    EXPECT_EQ(Processes.Runs[0]->Variable("KESTRUNE_DIRECTION"), "N");
    EXPECT_EQ(Processes.Runs[0]->Variable("KESTRUNE_MAX_ELEVATION"), "<unset>");
    EXPECT_EQ(Processes.Runs[0]->Variable("KESTRUNE_MAX_AZIMUTH"), "<unset>");
}

TEST_F(PassCommandsTest, ARestartEndsAReceptionButNotAPrePassPause) {
    Open();
    RunUntil(25);
    Program->Rebuild(); // in the pre-pass pause: nothing received yet
    EXPECT_TRUE(Processes.Runs.empty());

    // Rebuilt at 26, found again at 27, its pause over at 38.
    RunUntil(37, 26);
    EXPECT_TRUE(Processes.Runs.empty());
    TickAt(38);
    ASSERT_EQ(Commands(), TStrings{"record"});
    Program->Rebuild();
    EXPECT_EQ(Commands(), (TStrings{"record", "decode"}));
    RunUntil(50, 39);
    EXPECT_EQ(Commands(), (TStrings{"record", "decode"}));
}

} // namespace
} // namespace kestrune

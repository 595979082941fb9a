#include "core/PassHooks.h"

#include "core/CommaText.h"
#include "core/FakeStation.h"
#include "support/FakeProcesses.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

using TStrings = std::vector<std::string>;

// The station starts at 09:00:00; the pass of NOAA 19 rises at 09:00:30 and lasts 5 s.
const TDateTime Origin = EncodeDateTime(2025, 5, 28, 9);
const std::string Noaa19Pass = "20250528090030 S 41 187 5 NOAA 19";

TReception Meteor() {
    TReception reception;
    reception.Satellite = "METEOR-M2 3";
    reception.FrequencyHz = 137'900'000;
    reception.Direction = 'S';
    reception.LengthS = 600;
    reception.Start = EncodeDateTime(2026, 12, 8, 23, 55, 30);
    reception.MaxElevationDeg = 41;
    reception.MaxAzimuthDeg = 7;
    return reception;
}

TEST(ReceptionEnvironment, NamesThePassAndItsEndAcrossMidnight) {
    EXPECT_EQ(ReceptionEnvironment(Meteor()),
              (TEnvironmentList{{"KESTRUNE_SATELLITE", "METEOR-M2 3"},
                                {"KESTRUNE_FREQUENCY_HZ", "137900000"},
                                {"KESTRUNE_DIRECTION", "S"},
                                {"KESTRUNE_LENGTH_S", "600"},
                                {"KESTRUNE_START_UTC", "2026-12-08T23:55:30Z"},
                                {"KESTRUNE_END_UTC", "2026-12-09T00:05:30Z"},
                                {"KESTRUNE_MAX_ELEVATION", "41"},
                                {"KESTRUNE_MAX_AZIMUTH", "7"}}));
    TReception bare = Meteor();
    bare.MaxElevationDeg.reset();
    bare.MaxAzimuthDeg.reset();
    EXPECT_EQ(ReceptionEnvironment(bare).size(), 6u);
}

class PassHooksTest : public ::testing::Test {
protected:
    test::TFakeClock Clock{Origin};
    test::TFakeLauncher Launcher;
    TStrings Output, Warnings;

    std::unique_ptr<TPassHooks> Hooks(const std::string& start, const std::string& end) {
        return std::make_unique<TPassHooks>(
            TPassCommands{start, end}, Launcher, Clock,
            [this](const std::string& text) { Output.push_back(text); },
            [this](const std::string& text) { Warnings.push_back(text); });
    }
    // Moves the clock on by whole seconds, servicing the hooks after each.
    void Ticks(TPassHooks& hooks, int seconds) {
        for (int i = 0; i < seconds; ++i) {
            Clock.AdvanceSeconds(1);
            hooks.Service();
        }
    }
};

TEST_F(PassHooksTest, CommandsRunAsWrittenWithThePassOnlyInTheEnvironment) {
    const std::string start =
        "rtl_fm -f \"$KESTRUNE_FREQUENCY_HZ\" | sox - \"$KESTRUNE_SATELLITE\"";
    auto hooks = Hooks(start, "decode.sh");
    hooks->ReceptionStarted(Meteor());
    ASSERT_EQ(Launcher.Runs.size(), 1u);
    EXPECT_EQ(Launcher.Runs[0]->Command, start);
    EXPECT_EQ(Launcher.Runs[0]->Environment, ReceptionEnvironment(Meteor()));

    hooks->ReceptionEnded();
    ASSERT_EQ(Launcher.Runs.size(), 2u);
    EXPECT_EQ(Launcher.Runs[1]->Command, "decode.sh");
    EXPECT_EQ(Launcher.Runs[1]->Variable("KESTRUNE_SATELLITE"), "METEOR-M2 3");
    // With an end command of its own, the start command is the user's to end.
    Ticks(*hooks, 10);
    EXPECT_TRUE(Launcher.Runs[0]->Signals.empty());
    EXPECT_EQ(hooks->RunningCount(), 2u);
}

TEST_F(PassHooksTest, EmptyCommandsStartNothing) {
    auto hooks = Hooks("", "");
    hooks->ReceptionStarted(Meteor());
    hooks->ReceptionEnded();
    hooks->Service();
    EXPECT_TRUE(Launcher.Runs.empty());
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(PassHooksTest, WithoutAnEndCommandTheStartCommandIsAskedToEndThenMade) {
    auto hooks = Hooks("record", "");
    hooks->ReceptionStarted(Meteor());
    test::TFakeRun& run = *Launcher.Runs[0];
    run.EndsOnTerm = false;
    Ticks(*hooks, 3);
    EXPECT_TRUE(run.Signals.empty());

    hooks->ReceptionEnded();
    EXPECT_EQ(run.Signals, TStrings{"TERM"});
    Ticks(*hooks, StopGraceS - 1);
    EXPECT_EQ(run.Signals, TStrings{"TERM"});
    Ticks(*hooks, 1);
    EXPECT_EQ(run.Signals, (TStrings{"TERM", "KILL"}));
    hooks->Service();
    EXPECT_EQ(hooks->RunningCount(), 0u);
    EXPECT_TRUE(run.Destroyed);
    // Ended on purpose: no failure to report.
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(PassHooksTest, AStartCommandThatEndsWhenAskedIsNotKilledNorOneThatEndedAlone) {
    auto hooks = Hooks("record", "");
    hooks->ReceptionStarted(Meteor());
    hooks->ReceptionEnded();
    Ticks(*hooks, StopGraceS + 2);
    EXPECT_EQ(Launcher.Runs[0]->Signals, TStrings{"TERM"});

    hooks->ReceptionStarted(Meteor());
    Launcher.Runs[1]->Running = false;
    hooks->Service();
    hooks->ReceptionEnded();
    EXPECT_TRUE(Launcher.Runs[1]->Signals.empty());
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(PassHooksTest, OutputGoesOnLineByLineWithTheCommandsName) {
    auto hooks = Hooks("record", "");
    hooks->ReceptionStarted(Meteor());
    test::TFakeRun& run = *Launcher.Runs[0];
    run.Output = "Found 1 device(s)\nTuned to 137";
    hooks->Service();
    EXPECT_EQ(Output, TStrings{"pass start command: Found 1 device(s)"});
    run.Output = "900000 Hz.\n\nSampling";
    hooks->Service();
    EXPECT_EQ(Output,
              (TStrings{"pass start command: Found 1 device(s)",
                        "pass start command: Tuned to 137900000 Hz.", "pass start command: "}));
    // What is left when it ends goes on as the last line.
    run.Running = false;
    hooks->Service();
    EXPECT_EQ(Output.back(), "pass start command: Sampling");
    EXPECT_EQ(Output.size(), 4u);
}

TEST_F(PassHooksTest, EachFailureIsWarnedOnce) {
    auto hooks = Hooks("record", "decode");
    Launcher.FailNext = "/bin/sh: No such file or directory";
    hooks->ReceptionStarted(Meteor());
    EXPECT_EQ(Warnings, TStrings{"the pass start command could not be started: /bin/sh: No such "
                                 "file or directory"});

    hooks->ReceptionEnded();
    test::TFakeRun& run = *Launcher.Runs[0];
    run.Running = false;
    run.Failure = "exit status 2";
    Ticks(*hooks, 3);
    EXPECT_EQ(Warnings.size(), 2u);
    EXPECT_EQ(Warnings.back(), "the pass end command failed: exit status 2");
}

// The sequencer tells of each reception as the pass runs on the fake station.
class PassSequencerHooksTest : public ::testing::Test {
protected:
    test::TFakeStation Station{Origin};
    test::TFakeLauncher Launcher;
    TStrings Warnings;
    TPassHooks Hooks{TPassCommands{"record", "decode"}, Launcher, Station.Clock,
                     [](const std::string&) {},
                     [this](const std::string& text) { Warnings.push_back(text); }};

    void SetUp() override {
        Station.Component.Passes["NOAA 19"] = WriteCommaText({Noaa19Pass});
        Station.Window.Rows = {{"NOAA 19", "B", "0"}};
        Station.Sequencer.SetReceptionListener(&Hooks);
    }
    void TickAt(double second) {
        Station.TickAt(second);
        Hooks.Service();
    }
    TStrings Commands() const {
        TStrings commands;
        for (const auto& run : Launcher.Runs)
            commands.push_back(run->Command);
        return commands;
    }
};

TEST_F(PassSequencerHooksTest, StartWithTheChannelEndOnceWhenThePassIsOver) {
    TickAt(0.2);
    for (int s = 1; s <= 30; ++s)
        TickAt(s);
    EXPECT_TRUE(Launcher.Runs.empty()) << "nothing before the pre-pass pause is over";
    TickAt(31);
    ASSERT_EQ(Commands(), TStrings{"record"});
    const test::TFakeRun& start = *Launcher.Runs[0];
    EXPECT_EQ(start.Variable("KESTRUNE_SATELLITE"), "NOAA 19");
    EXPECT_EQ(start.Variable("KESTRUNE_FREQUENCY_HZ"), "137100000");
    EXPECT_EQ(start.Variable("KESTRUNE_DIRECTION"), "S");
    EXPECT_EQ(start.Variable("KESTRUNE_LENGTH_S"), "5");
    EXPECT_EQ(start.Variable("KESTRUNE_START_UTC"), "2025-05-28T09:00:30Z");
    EXPECT_EQ(start.Variable("KESTRUNE_END_UTC"), "2025-05-28T09:00:35Z");
    EXPECT_EQ(start.Variable("KESTRUNE_MAX_ELEVATION"), "41");
    EXPECT_EQ(start.Variable("KESTRUNE_MAX_AZIMUTH"), "187");

    for (int s = 32; s <= 60; ++s)
        TickAt(s);
    EXPECT_EQ(Station.Sequencer.State(), TSequencerState::Idle);
    EXPECT_EQ(Commands(), (TStrings{"record", "decode"}));
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(PassSequencerHooksTest, ASatelliteWithoutAChannelGetsFrequencyZero) {
    Station.Component.Passes.clear();
    Station.Component.Passes["METEOR-M2 3"] =
        WriteCommaText({"20250528090030 N x y 5 METEOR-M2 3"});
    Station.Window.Rows = {{"METEOR-M2 3", "B", "0"}};
    TickAt(0.2);
    for (int s = 1; s <= 31; ++s)
        TickAt(s);
    ASSERT_EQ(Launcher.Runs.size(), 1u);
    EXPECT_EQ(Launcher.Runs[0]->Variable("KESTRUNE_FREQUENCY_HZ"), "0");
    EXPECT_EQ(Launcher.Runs[0]->Variable("KESTRUNE_DIRECTION"), "N");
    EXPECT_EQ(Launcher.Runs[0]->Variable("KESTRUNE_MAX_ELEVATION"), "<unset>");
    EXPECT_EQ(Launcher.Runs[0]->Variable("KESTRUNE_MAX_AZIMUTH"), "<unset>");
}

TEST_F(PassSequencerHooksTest, ARestartEndsAReceptionButNotAPrePassPause) {
    TickAt(0.2);
    for (int s = 1; s <= 25; ++s)
        TickAt(s);
    Station.Sequencer.ButtonRestartClick(); // in the pre-pass pause: nothing received yet
    EXPECT_TRUE(Launcher.Runs.empty());

    // Rebuilt at 26, found again at 27, its pause over at 38.
    for (int s = 26; s <= 37; ++s)
        TickAt(s);
    EXPECT_TRUE(Launcher.Runs.empty());
    TickAt(38);
    ASSERT_EQ(Commands(), TStrings{"record"});
    Station.Sequencer.ButtonRestartClick();
    EXPECT_EQ(Commands(), (TStrings{"record", "decode"}));
    for (int s = 39; s <= 50; ++s)
        TickAt(s);
    EXPECT_EQ(Commands(), (TStrings{"record", "decode"}));
}

} // namespace
} // namespace kestrune

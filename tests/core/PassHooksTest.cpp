#include "core/PassHooks.h"

#include "support/FakeClock.h"
#include "support/FakeProcesses.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

using TStrings = std::vector<std::string>;

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
    test::TFakeMonotonicClock Clock;
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

TEST_F(PassHooksTest, WhatTheStartCommandLeftRunningIsEndedWithThePass) {
    // "sleep 1000 & sleep 1001 & echo forked": the shell ends at once, its children run on.
    auto hooks = Hooks("record", "");
    hooks->ReceptionStarted(Meteor());
    test::TFakeRun& run = *Launcher.Runs[0];
    run.Running = false;
    run.Lingering = true;
    run.EndsOnTerm = false;
    Ticks(*hooks, 3);
    EXPECT_EQ(hooks->RunningCount(), 1u) << "its group is still there";
    EXPECT_FALSE(run.Destroyed);

    hooks->ReceptionEnded();
    EXPECT_EQ(run.Signals, TStrings{"TERM"});
    Ticks(*hooks, StopGraceS);
    EXPECT_EQ(run.Signals, (TStrings{"TERM", "KILL"}));
    hooks->Service();
    EXPECT_EQ(hooks->RunningCount(), 0u);
    EXPECT_TRUE(run.Destroyed);
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(PassHooksTest, WhatCommandsLeftRunningIsEndedWhenTheStationStops) {
    auto hooks = Hooks("record", "decode");
    hooks->ReceptionStarted(Meteor());
    hooks->ReceptionEnded();
    Launcher.Runs[0]->Running = false;
    Launcher.Runs[0]->Lingering = true;
    Launcher.Runs[1]->Running = false;
    Launcher.Runs[1]->Lingering = true;
    Ticks(*hooks, 30);
    EXPECT_TRUE(Launcher.Runs[0]->Signals.empty()) << "with an end command it is the user's";
    EXPECT_EQ(hooks->RunningCount(), 2u);

    hooks.reset();
    for (const auto& run : Launcher.Runs) {
        EXPECT_EQ(run->Signals, TStrings{"TERM"});
        EXPECT_TRUE(run->Destroyed);
    }
}

TEST_F(PassHooksTest, TheGraceBeforeSigkillIsMeasuredOnTheMonotonicClock) {
    // The wall clock set back a minute just after the pass does not reach the hooks: only the
    // monotonic clock they are given counts, and it moves on by the five seconds.
    auto hooks = Hooks("record", "");
    hooks->ReceptionStarted(Meteor());
    test::TFakeRun& run = *Launcher.Runs[0];
    run.EndsOnTerm = false;
    hooks->ReceptionEnded();
    Ticks(*hooks, StopGraceS);
    EXPECT_EQ(run.Signals, (TStrings{"TERM", "KILL"}));
}

TEST_F(PassHooksTest, ALineWithoutEndIsCutAndItsRestDropped) {
    auto hooks = Hooks("record", "");
    hooks->ReceptionStarted(Meteor());
    test::TFakeRun& run = *Launcher.Runs[0];
    // 20 MB without a line break, 64 KiB a tick as the pipe gives it.
    const std::string chunk(64 * 1024, 'x');
    for (int i = 0; i < 320; ++i) {
        run.Output = chunk;
        hooks->Service();
    }
    const std::string cut(MaxOutputLineBytes, 'x');
    EXPECT_EQ(Output, TStrings{"pass start command: " + cut + " [line cut at 2048 bytes]"});
    // The next line is whole again.
    run.Output = "xx\nTuned to 137900000 Hz.\n";
    hooks->Service();
    EXPECT_EQ(Output.size(), 2u);
    EXPECT_EQ(Output.back(), "pass start command: Tuned to 137900000 Hz.");

    // A character of several bytes is not cut in two.
    run.Output = std::string(MaxOutputLineBytes - 1, 'y') + "\xC3\xA9" + "\n";
    hooks->Service();
    EXPECT_EQ(Output.back(), "pass start command: " + std::string(MaxOutputLineBytes - 1, 'y') +
                                 " [line cut at 2048 bytes]");
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

} // namespace
} // namespace kestrune

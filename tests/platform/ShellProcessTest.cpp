// Pass commands as real shell processes: their environment, output, failures and process groups,
// and the pass hooks driving them on a fake clock.

#include "platform/linux/ShellProcess.h"

#include "core/PassHooks.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace kestrune {
namespace {

using TStrings = std::vector<std::string>;
using namespace std::chrono_literals;

// Polls until the condition holds or 10 s have passed; whether it held.
template <typename TCondition> bool Eventually(TCondition condition) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Whether the process is gone (or a zombie waiting for whoever inherited it).
bool Gone(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t close = text.rfind(')');
    return !stat || close == std::string::npos || text.substr(close + 2, 1) == "Z";
}

std::string OutputUntilEnd(IChildProcess& process) {
    std::string output;
    EXPECT_TRUE(Eventually([&] {
        output += process.TakeOutput();
        return !process.Running();
    }));
    return output + process.TakeOutput();
}

TEST(ShellProcess, TheCommandSeesItsVariablesAsDataAndItsOutputAndStatusAreKept) {
    test::TTempDir dir;
    const std::string trap = (dir.Path() / "ran").string();
    TShellProcess process(
        "echo \"sat=$KESTRUNE_SATELLITE\"; echo \"home=${HOME:+set}\" >&2; exit 3",
        {{"KESTRUNE_SATELLITE", "NOAA 19 $(touch " + trap + ")"}});
    EXPECT_EQ(OutputUntilEnd(process), "sat=NOAA 19 $(touch " + trap + ")\nhome=set\n");
    EXPECT_EQ(process.Failure(), "exit status 3");
    EXPECT_FALSE(std::filesystem::exists(trap));

    TShellProcess quiet("read line; echo \"[$line]\"", {});
    EXPECT_EQ(OutputUntilEnd(quiet), "[]\n") << "standard input is /dev/null";
    EXPECT_EQ(quiet.Failure(), "");
}

TEST(ShellProcess, StopEndsTheWholePipelineEvenWithTheProgramsSignalsBlocked) {
    // The program watches these signals through a blocked mask; the command must not inherit it.
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    TShellProcess process("sleep 30 & echo $!; sleep 30 | sleep 30", {});
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    std::string output;
    ASSERT_TRUE(Eventually(
        [&] { return (output += process.TakeOutput()).find('\n') != std::string::npos; }));
    const pid_t background = std::stoi(output);
    EXPECT_TRUE(process.Running());
    process.Stop(false);
    ASSERT_TRUE(Eventually([&] { return !process.Running(); }));
    EXPECT_EQ(process.Failure(), "ended by signal 15 (Terminated)");
    EXPECT_TRUE(Eventually([&] { return Gone(background); }));
}

TEST(ShellProcess, ACommandStillRunningIsEndedWithItsObject) {
    pid_t pid = 0;
    {
        TShellProcess process("trap '' TERM; echo ready; while :; do sleep 0.05; done", {});
        pid = process.Pid();
        std::string output;
        ASSERT_TRUE(Eventually([&] { return (output += process.TakeOutput()) == "ready\n"; }));
    }
    EXPECT_TRUE(Gone(pid));
}

// The background children's pids, from "echo $!" lines.
std::vector<pid_t> Pids(IChildProcess& process, std::size_t count) {
    std::string output;
    EXPECT_TRUE(Eventually([&] {
        output += process.TakeOutput();
        return static_cast<std::size_t>(std::count(output.begin(), output.end(), '\n')) >= count;
    }));
    std::vector<pid_t> pids;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        pids.push_back(std::stoi(line));
    return pids;
}

TEST(ShellProcess, WhatTheCommandLeftInTheBackgroundIsStoppedWithItsGroup) {
    TShellProcess process("sleep 30 & echo $!; sleep 31 & echo $!", {});
    const std::vector<pid_t> children = Pids(process, 2);
    ASSERT_TRUE(Eventually([&] { return !process.Running(); }));
    EXPECT_EQ(process.Failure(), "") << "the shell itself ended well";
    EXPECT_TRUE(process.GroupRunning()) << "its children run on";
    process.Stop(false);
    EXPECT_TRUE(Eventually([&] { return !process.GroupRunning(); }));
    for (pid_t child : children)
        EXPECT_TRUE(Eventually([&] { return Gone(child); }));
    process.Stop(true); // the group is gone: nothing is signalled any more
}

TEST(ShellProcess, WhatTheCommandLeftInTheBackgroundIsEndedWithItsObject) {
    std::vector<pid_t> children;
    {
        TShellProcess process("(trap '' TERM; sleep 30) & echo $!; sleep 31 & echo $!", {});
        children = Pids(process, 2);
        ASSERT_TRUE(Eventually([&] { return !process.Running(); }));
    }
    for (pid_t child : children)
        EXPECT_TRUE(Eventually([&] { return Gone(child); }));
}

TEST(ShellProcess, AMissingShellOrCommandIsSaid) {
    TShellProcess process("no-such-command-here", {});
    EXPECT_NE(OutputUntilEnd(process).find("not found"), std::string::npos);
    EXPECT_EQ(process.Failure(), "exit status 127");
}

class ShellHooksTest : public ::testing::Test {
protected:
    test::TTempDir Dir;
    test::TFakeMonotonicClock Clock;
    TShellLauncher Launcher;
    TStrings Output, Warnings;

    TReception Pass() const {
        TReception reception;
        reception.Satellite = "METEOR-M2 3";
        reception.FrequencyHz = 137'900'000;
        reception.LengthS = 600;
        reception.Start = EncodeDateTime(2026, 12, 8, 10, 0, 30);
        return reception;
    }
    std::unique_ptr<TPassHooks> Hooks(const std::string& start, const std::string& end) {
        return std::make_unique<TPassHooks>(
            TPassCommands{start, end}, Launcher, Clock,
            [this](const std::string& text) { Output.push_back(text); },
            [this](const std::string& text) { Warnings.push_back(text); });
    }
    bool AllEnded(TPassHooks& hooks) {
        return Eventually([&] {
            hooks.Service();
            return hooks.RunningCount() == 0;
        });
    }
};

TEST_F(ShellHooksTest, TheStartCommandSeesThePassAndTheEndCommandRunsOnce) {
    const std::string log = (Dir.Path() / "log").string();
    auto hooks = Hooks("echo \"start $KESTRUNE_SATELLITE $KESTRUNE_FREQUENCY_HZ "
                       "$KESTRUNE_START_UTC $KESTRUNE_END_UTC\" >> '" +
                           log + "'; echo recording",
                       "echo \"end $KESTRUNE_SATELLITE\" >> '" + log + "'");
    hooks->ReceptionStarted(Pass());
    ASSERT_TRUE(AllEnded(*hooks));
    hooks->ReceptionEnded();
    ASSERT_TRUE(AllEnded(*hooks));
    for (int i = 0; i < 5; ++i)
        hooks->Service();
    EXPECT_EQ(test::ReadFileBytes(log),
              "start METEOR-M2 3 137900000 2026-12-08T10:00:30Z 2026-12-08T10:10:30Z\n"
              "end METEOR-M2 3\n");
    EXPECT_EQ(Output, TStrings{"pass start command: recording"});
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(ShellHooksTest, AHungStartCommandIsEndedAfterThePass) {
    // Ignores SIGTERM, as does everything it starts.
    auto hooks = Hooks("trap '' TERM; echo ready; sleep 30 | sleep 30", "");
    hooks->ReceptionStarted(Pass());
    ASSERT_TRUE(Eventually([&] {
        hooks->Service();
        return !Output.empty();
    }));
    EXPECT_EQ(hooks->RunningCount(), 1u);
    hooks->ReceptionEnded();
    for (int s = 1; s < StopGraceS; ++s) {
        Clock.AdvanceSeconds(1);
        hooks->Service();
    }
    EXPECT_EQ(hooks->RunningCount(), 1u) << "still within its grace";
    Clock.AdvanceSeconds(1);
    EXPECT_TRUE(AllEnded(*hooks));
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(ShellHooksTest, ChildrenLeftInTheBackgroundAreEndedAtTheEndOfThePass) {
    // The audit's start command, with a recorder's lifetime instead of 1000 s.
    auto hooks = Hooks("sleep 30 & echo $!; sleep 31 & echo $!; echo forked", "");
    hooks->ReceptionStarted(Pass());
    ASSERT_TRUE(Eventually([&] {
        hooks->Service();
        return Output.size() == 3;
    }));
    for (int s = 0; s < 3; ++s)
        hooks->Service();
    EXPECT_EQ(hooks->RunningCount(), 1u) << "the shell has ended, its children have not";
    const pid_t first = std::stoi(Output[0].substr(Output[0].find(':') + 2));
    const pid_t second = std::stoi(Output[1].substr(Output[1].find(':') + 2));
    EXPECT_FALSE(Gone(first));
    hooks->ReceptionEnded();
    EXPECT_TRUE(AllEnded(*hooks));
    EXPECT_TRUE(Eventually([&] { return Gone(first) && Gone(second); }));
    EXPECT_TRUE(Warnings.empty());
}

TEST_F(ShellHooksTest, ChildrenLeftInTheBackgroundAreEndedWhenTheStationStops) {
    // With an end command the start command's children are the user's to end during the
    // station's run, but not past it.
    auto hooks = Hooks("(trap '' TERM; sleep 30) & echo $!", "sleep 31 & echo $!");
    hooks->ReceptionStarted(Pass());
    hooks->ReceptionEnded();
    ASSERT_TRUE(Eventually([&] {
        hooks->Service();
        return Output.size() == 2;
    }));
    hooks->Service();
    EXPECT_EQ(hooks->RunningCount(), 2u);
    hooks.reset();
    for (const std::string& line : Output)
        EXPECT_TRUE(Eventually([&] { return Gone(std::stoi(line.substr(line.find(':') + 2))); }))
            << line;
}

TEST_F(ShellHooksTest, AFailingCommandIsWarnedOnce) {
    auto hooks = Hooks("exit 4", "");
    hooks->ReceptionStarted(Pass());
    ASSERT_TRUE(AllEnded(*hooks));
    hooks->Service();
    EXPECT_EQ(Warnings, TStrings{"the pass start command failed: exit status 4"});
}

} // namespace
} // namespace kestrune

// Pass commands through cmd.exe in a job object: their output and exit status, the variables
// they are given, and what they leave running ended with them.

#include "platform/windows/ShellProcess.h"

#include "platform/windows/Executable.h"
#include "support/TempDir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

// Whether the sleeper still holds its file (it opens it without sharing).
bool Held(const std::filesystem::path& file) {
    const HANDLE handle =
        ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(handle);
    return false;
}

template <typename Condition> bool Eventually(Condition condition) {
    for (int i = 0; i < 500 && !condition(); ++i)
        std::this_thread::sleep_for(20ms);
    return condition();
}

TEST(ShellProcess, GivesOutputExitStatusAndTheReceptionVariables) {
    TShellProcess process("echo %KESTRUNE_SATELLITE%& exit 3",
                          {{"KESTRUNE_SATELLITE", "NOAA 19"}, {"Path", "C:\\windows"}});
    ASSERT_TRUE(Eventually([&] { return !process.Running(); }));
    EXPECT_EQ(process.TakeOutput(), "NOAA 19\r\n");
    EXPECT_EQ(process.Failure(), "exit status 3");
    // The job counts the command as gone a moment after its process has ended.
    EXPECT_TRUE(Eventually([&] { return !process.GroupRunning(); }));
}

TEST(ShellProcess, WhatTheCommandLeavesRunningIsInItsJobAndEndsWithIt) {
    TTempDir dir;
    const std::filesystem::path first = dir.Path() / "first.lock";
    const std::filesystem::path second = dir.Path() / "second.lock";
    const std::string start =
        "start \"\" /b \"" + (ExecutableDir() / "kestrune_test_sleeper.exe").string() + "\" ";

    TShellProcess stopped(start + "\"" + first.string() + "\"", {});
    ASSERT_TRUE(Eventually([&] { return Held(first) && !stopped.Running(); }));
    EXPECT_TRUE(stopped.GroupRunning()); // the command has ended, what it started has not
    EXPECT_EQ(stopped.Failure(), "");
    stopped.Stop(true);
    EXPECT_TRUE(Eventually([&] { return !stopped.GroupRunning() && !Held(first); }));

    {
        TShellProcess left(start + "\"" + second.string() + "\"", {});
        ASSERT_TRUE(Eventually([&] { return Held(second); }));
    }
    EXPECT_TRUE(Eventually([&] { return !Held(second); }));
}

} // namespace
} // namespace kestrune::test

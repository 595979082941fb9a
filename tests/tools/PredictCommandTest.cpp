// Runs the real kestrune-predict with its real component on the bundled element sets.
#include "support/TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace kestrune {
namespace {

struct TResult {
    int Status;
    std::string Out, Err;
};

TResult Predict(const std::string& arguments) {
    test::TTempDir dir;
    const std::string command =
        std::string(PREDICT_EXE) + " " + arguments + " 2>" + (dir.Path() / "err").string();
    TResult result{};
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.Out.append(buffer, n);
    result.Status = WEXITSTATUS(pclose(pipe));
    result.Err = test::ReadFileBytes(dir.Path() / "err");
    return result;
}

const std::string Station = std::string("--tle-dir ") + SAMPLE_TLE_DIR +
                            " --lat 55.9 --lon -3.2 --height 180 --start 20250528120000 --days 2";

TEST(PredictCommand, PrintsTheMergedPassListTheWindowWouldBuild) {
    const TResult result = Predict(Station);
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
    // The first two lines agree with the independent reference for Edinburgh (NOAA 19 rises
    // at 19:32:09 for 788 s and at 21:11:39 for 874 s; NOAA 18 at 19:28:39 is 643 s, shorter
    // than the default 720 s, and its 21:06:20 pass overlaps the NOAA 19 pass that wins).
    EXPECT_EQ(result.Out.substr(0, 71),
              "20250528193209 N 27 53 788 NOAA 19\n20250528211139 N 76 254 874 NOAA 19\n");
    // Southbound NOAA 15 passes only, northbound NOAA 18 and 19 only.
    for (std::size_t at = 0; at < result.Out.size(); at = result.Out.find('\n', at) + 1) {
        const std::string line = result.Out.substr(at, result.Out.find('\n', at) - at);
        EXPECT_EQ(line[15], line.find("NOAA 15") != std::string::npos ? 'S' : 'N') << line;
    }
}

TEST(PredictCommand, RawListsEveryPassAndScheduleWritesTheFile) {
    test::TTempDir dir;
    const auto schedule = dir.Path() / "Schedule.txt";
    const TResult merged =
        Predict(Station + " --sat \"NOAA 18,B,0\" --schedule " + schedule.string());
    ASSERT_EQ(merged.Status, 0) << merged.Err;
    std::string expected;
    for (char c : merged.Out)
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(test::ReadFileBytes(schedule), expected);

    const TResult raw = Predict(Station + " --sat \"NOAA 18\" --raw");
    ASSERT_EQ(raw.Status, 0) << raw.Err;
    // Raw starts at 00:00 of the start's day, so it has the morning passes too.
    EXPECT_EQ(raw.Out.rfind("20250528", 0), 0u);
    EXPECT_GT(raw.Out.size(), merged.Out.size());
}

TEST(PredictCommand, FailuresAreOneLineAndANonZeroStatus) {
    test::TTempDir empty;
    const TResult noFolder = Predict("--tle-dir /nonexistent/tle --lat 1 --lon 2 --height 3");
    EXPECT_EQ(noFolder.Status, 1);
    EXPECT_EQ(noFolder.Err, "kestrune-predict: no such folder: /nonexistent/tle\n");
    const TResult noSets =
        Predict("--tle-dir " + empty.Path().string() + " --lat 1 --lon 2 --height 3");
    EXPECT_EQ(noSets.Status, 1);
    EXPECT_EQ(noSets.Err,
              "kestrune-predict: no valid element sets in " + empty.Path().string() + "\n");
    const TResult badArgument = Predict("--tle-dir x --lat north --lon 2 --height 3");
    EXPECT_EQ(badArgument.Status, 2);
    EXPECT_EQ(badArgument.Err, "kestrune-predict: --lat: 'north' is not a number\n");
    EXPECT_EQ(badArgument.Out, "");
}

TEST(PredictCommand, WarnsAboutOldElementSets) {
    const TResult result = Predict(std::string("--tle-dir ") + SAMPLE_TLE_DIR +
                                   " --lat 55.9 --lon -3.2 --height 180 --start 20250620000000"
                                   " --days 1 --sat \"NOAA 19\"");
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Err, "kestrune-predict: warning: the element set of NOAA 19 is 22 days older "
                          "than the start (epoch 20250528123318 UTC); fetch fresh element sets\n");
}

} // namespace
} // namespace kestrune

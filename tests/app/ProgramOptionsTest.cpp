#include "app/ProgramOptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kestrune {
namespace {

TProgramOptions Parse(std::vector<std::string> words) {
    words.insert(words.begin(), "Kestrune");
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return ParseProgramOptions(static_cast<int>(words.size()), argv.data());
}

std::string UsageError(std::vector<std::string> words) {
    try {
        Parse(std::move(words));
    } catch (const EProgramUsage& error) {
        return error.what();
    }
    return "no error";
}

TEST(ProgramOptions, TheClockStartTakesItsValueEitherWay) {
    const TDateTime start = EncodeDateTime(2025, 5, 28, 14, 39, 26);
    EXPECT_EQ(Parse({"--clock-start", "20250528143926"}).ClockStart, start);
    EXPECT_EQ(Parse({"--clock-start=20250528143926"}).ClockStart, start);
    EXPECT_FALSE(Parse({}).ClockStart);
    EXPECT_TRUE(Parse({"--version"}).Version);
    EXPECT_TRUE(Parse({"-h"}).Help);
}

TEST(ProgramOptions, BadCommandLinesSayWhatIsWrong) {
    EXPECT_EQ(UsageError({"--clock-start"}), "--clock-start needs a value");
    EXPECT_EQ(UsageError({"--clock-start=2025"}),
              "--clock-start: '2025' is not a UTC time as YYYYMMDDhhmmss");
    EXPECT_EQ(UsageError({"--verbose"}), "unknown option '--verbose' (see --help)");
    EXPECT_EQ(UsageError({"now"}), "unexpected argument 'now' (see --help)");
}

} // namespace
} // namespace kestrune

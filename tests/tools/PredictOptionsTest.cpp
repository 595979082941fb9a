#include "tools/PredictOptions.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

using TArgs = std::vector<std::string>;

const TArgs Station = {"--tle-dir", "tle", "--lat", "55.9", "--lon", "-3.2", "--height", "180"};

TArgs With(TArgs extra) {
    TArgs args = Station;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::string UsageError(const TArgs& args) {
    try {
        ParsePredictOptions(args);
    } catch (const EUsage& error) {
        return error.what();
    }
    return "accepted";
}

TEST(PredictOptions, DefaultsAreTheWindowsDefaults) {
    const TPredictOptions options = ParsePredictOptions(Station);
    EXPECT_EQ(options.TleDir, "tle");
    EXPECT_EQ(options.Longitude, "-3.2");
    EXPECT_EQ(options.MinElevationDeg, 2.0);
    EXPECT_EQ(options.Days, 21);
    EXPECT_FALSE(options.Start);
    EXPECT_FALSE(options.Raw);
    ASSERT_EQ(options.Satellites.size(), 3u);
    EXPECT_EQ(options.Satellites[2].Name, "NOAA 15");
    EXPECT_EQ(options.Satellites[2].Direction, "S");
    EXPECT_EQ(options.Satellites[2].MinLength, "720");
}

TEST(PredictOptions, SatelliteEntriesTakeNameDirectionAndLength) {
    const TPredictOptions options = ParsePredictOptions(
        With({"--sat", "METEOR-M2 3", "--sat", " METEOR-M2 4 , N ", "--sat", "NOAA 19,S,600",
              "--start", "20250528120000", "--days", "3", "--min-elevation", "7.5", "--raw",
              "--schedule", "s.txt", "--pass-priority", "1"}));
    ASSERT_EQ(options.Satellites.size(), 3u);
    EXPECT_EQ(options.Satellites[0].Name, "METEOR-M2 3");
    EXPECT_EQ(options.Satellites[0].Direction, "B");
    EXPECT_EQ(options.Satellites[0].MinLength, ""); // the builder's default applies
    EXPECT_EQ(options.Satellites[1].Name, "METEOR-M2 4");
    EXPECT_EQ(options.Satellites[1].Direction, "N");
    EXPECT_EQ(options.Satellites[2].MinLength, "600");
    EXPECT_EQ(*options.Start, EncodeDateTime(2025, 5, 28, 12));
    EXPECT_EQ(options.Days, 3);
    EXPECT_EQ(options.MinElevationDeg, 7.5);
    EXPECT_TRUE(options.Raw);
    EXPECT_EQ(options.SchedulePath, "s.txt");
    EXPECT_EQ(options.Priority, TPassPriority::HigherElevation);
    EXPECT_EQ(ParsePredictOptions(With({})).Priority, TPassPriority::FirstInList);
}

TEST(PredictOptions, BadCommandLinesSayWhatIsWrong) {
    EXPECT_EQ(UsageError({"--lat", "1"}), "--tle-dir is required (see --help)");
    EXPECT_EQ(UsageError({"--tle-dir", "x", "--lat", "1"}),
              "--lat, --lon and --height are required (see --help)");
    EXPECT_EQ(UsageError(With({"--lat", "55,9"})), "--lat: '55,9' is not a number");
    EXPECT_EQ(UsageError(With({"--lat", "91"})), "--lat: 91 is out of range (-90 to 90)");
    EXPECT_EQ(UsageError(With({"--days", "0"})), "--days: '0' is not a whole number from 1 to 366");
    EXPECT_EQ(UsageError(With({"--start", "20250230120000"})),
              "--start: '20250230120000' is not a UTC time as YYYYMMDDhhmmss");
    EXPECT_EQ(UsageError(With({"--start", "2025052812000"})),
              "--start: '2025052812000' is not a UTC time as YYYYMMDDhhmmss");
    EXPECT_EQ(UsageError(With({"--sat", "NOAA 19,Q"})),
              "--sat: 'NOAA 19,Q': the direction must be N, S, B or X");
    EXPECT_EQ(UsageError(With({"--sat", ",N"})), "--sat: ',N' has no satellite name");
    EXPECT_EQ(UsageError(With({"--sat", "A,N,long"})),
              "--sat: 'A,N,long': the minimum length must be whole seconds");
    EXPECT_EQ(UsageError(With({"--schedule"})), "--schedule needs a value");
    EXPECT_EQ(UsageError(With({"--pass-priority", "2"})),
              "--pass-priority: '2' is neither 0 nor 1");
    EXPECT_EQ(UsageError(With({"--verbose"})), "unknown option '--verbose' (see --help)");
    EXPECT_EQ(UsageError(With({"stray"})), "unexpected argument 'stray' (see --help)");
    EXPECT_EQ(UsageError(With({"--sat", "A,N,600,12"})),
              "--sat: 'A,N,600,12': the channel must be one digit, 0 to 9");
    EXPECT_TRUE(ParsePredictOptions({"--help"}).Help);
    EXPECT_TRUE(ParsePredictOptions({"--version"}).Version);
}

TEST(PredictOptions, ValuesFollowTheOptionOrAnEqualsSign) {
    const TPredictOptions options =
        ParsePredictOptions({"--tle-dir=/data/tle", "--lat=55.9", "--lon", "-3.2", "--height=180",
                             "--days=2", "--sat=METEOR-M2 3,N,600,5", "--sat", "NOAA 19"});
    EXPECT_EQ(options.TleDir, "/data/tle");
    EXPECT_EQ(options.Longitude, "-3.2");
    EXPECT_EQ(options.Days, 2);
    EXPECT_EQ(options.Satellites,
              (std::vector<TSatelliteRow>{{"METEOR-M2 3", "N", "600", "5"}, {"NOAA 19", "B", ""}}));
    // A second parse starts afresh.
    EXPECT_EQ(
        ParsePredictOptions({"--tle-dir", "x", "--lat", "1", "--lon", "2", "--height", "3"}).TleDir,
        "x");
}

} // namespace
} // namespace kestrune

// Reading element sets: the line format, its checksums and the quirks of real files.
#include "core/ElementSets.h"
#include "qmrsatlib/ElementFile.h"
#include "support/TempDir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>

namespace kestrune {
namespace {

constexpr double RadToDeg = 180.0 / std::numbers::pi;

std::string DataFile(const std::string& name) {
    return test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/tle/" + name);
}

// NOAA 19 from weather.txt (2025-05-28).
const std::string Noaa19Line1 =
    "1 33591U 09005A   25148.52312812  .00000213  00000+0  13738-3 0  9999";
const std::string Noaa19Line2 =
    "2 33591  98.9977 213.1597 0014361  41.9496 318.2774 14.13367935840408";

TEST(Tle, ChecksumCountsDigitsAndMinusSigns) {
    EXPECT_TRUE(HasValidChecksum(Noaa19Line1));
    EXPECT_TRUE(HasValidChecksum(Noaa19Line2));
    std::string changed = Noaa19Line2;
    changed[20] = '2'; // one digit of the node changed
    EXPECT_FALSE(HasValidChecksum(changed));
    // A minus sign counts one: replacing a blank by "-" breaks the sum.
    changed = Noaa19Line1;
    changed[33] = '-';
    EXPECT_FALSE(HasValidChecksum(changed));
    EXPECT_FALSE(HasValidChecksum(Noaa19Line1.substr(0, 68)));
}

TEST(Tle, FieldsOfARealSet) {
    const auto set = ParseElementLines(Noaa19Line1, Noaa19Line2);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->CatalogNumber, 33591);
    const auto epoch = DecodeDateTime(set->Epoch);
    EXPECT_EQ(epoch.Year, 2025);
    EXPECT_EQ(epoch.Month, 5);
    EXPECT_EQ(epoch.Day, 28);
    EXPECT_EQ(epoch.Hour, 12);
    EXPECT_EQ(epoch.Minute, 33);
    EXPECT_EQ(epoch.Second, 18);
    EXPECT_NEAR(set->Elements.EpochJulian - set->Epoch, 2415018.5, 1e-9);
    EXPECT_NEAR(set->Elements.InclinationRad * RadToDeg, 98.9977, 1e-12);
    EXPECT_NEAR(set->Elements.RaanRad * RadToDeg, 213.1597, 1e-12);
    EXPECT_NEAR(set->Elements.Eccentricity, 0.0014361, 1e-15);
    EXPECT_NEAR(set->Elements.ArgPerigeeRad * RadToDeg, 41.9496, 1e-12);
    EXPECT_NEAR(set->Elements.MeanAnomalyRad * RadToDeg, 318.2774, 1e-12);
    EXPECT_NEAR(set->Elements.MeanMotionRadPerMin * 1440.0 / (2.0 * std::numbers::pi), 14.13367935,
                1e-12);
    EXPECT_NEAR(set->Elements.BStar, 0.13738e-3, 1e-18);
}

TEST(Tle, MalformedLinesAreRefused) {
    EXPECT_FALSE(ParseElementLines(Noaa19Line1.substr(0, 60), Noaa19Line2));
    EXPECT_FALSE(ParseElementLines(Noaa19Line2, Noaa19Line1));
    std::string otherSatellite = Noaa19Line2;
    otherSatellite[6] = '2';
    EXPECT_FALSE(ParseElementLines(Noaa19Line1, otherSatellite));
    std::string letters = Noaa19Line2;
    letters[55] = 'x'; // inside the mean motion
    EXPECT_FALSE(ParseElementLines(Noaa19Line1, letters));
    std::string badExponent = Noaa19Line1;
    badExponent[59] = '*'; // BSTAR's exponent sign
    EXPECT_FALSE(ParseElementLines(badExponent, Noaa19Line2));
    std::string inclination = Noaa19Line2;
    inclination.replace(8, 8, "198.9977"); // beyond 180 degrees
    EXPECT_FALSE(ParseElementLines(Noaa19Line1, inclination));
}

TEST(Tle, NameLinesLoseTheirPaddingPrefixAndStatus) {
    EXPECT_EQ(CleanSatelliteName("NOAA 19                 "), "NOAA 19");
    EXPECT_EQ(CleanSatelliteName("0 NOAA 19"), "NOAA 19");
    EXPECT_EQ(CleanSatelliteName("NOAA 19 [+]             \r"), "NOAA 19");
    EXPECT_EQ(CleanSatelliteName("NOAA 2 (ITOS-D) [-]"), "NOAA 2 (ITOS-D)");
    EXPECT_EQ(CleanSatelliteName("0 NOAA 15 [B]"), "NOAA 15");
    // Only a one-letter status in brackets is one.
    EXPECT_EQ(CleanSatelliteName("OBJECT [AB]"), "OBJECT [AB]");
    EXPECT_EQ(CleanSatelliteName("METEOR-M2 3"), "METEOR-M2 3");
}

TEST(Tle, RealFilesReadWhole) {
    const auto weather = ReadElementSets(DataFile("weather.txt"));
    ASSERT_EQ(weather.size(), 72u);
    EXPECT_EQ(weather.front().Name, "NOAA 15");
    EXPECT_EQ(weather.back().Name, "GOES 19");

    // CelesTrak's own CR LF.
    const auto crlf = ReadElementSets(DataFile("noaa-crlf-20251117.txt"));
    ASSERT_EQ(crlf.size(), 23u);
    for (const auto& set : crlf)
        EXPECT_EQ(set.Name.find('\r'), std::string::npos);

    // Status suffixes inside the padded name field.
    const auto status = ReadElementSets(DataFile("noaa-status-20211208.txt"));
    ASSERT_EQ(status.size(), 22u);
    int noaa19 = 0;
    for (const auto& set : status) {
        EXPECT_EQ(set.Name.find('['), std::string::npos) << set.Name;
        noaa19 += set.Name == "NOAA 19" && set.CatalogNumber == 33591;
    }
    EXPECT_EQ(noaa19, 1);

    // Space-Track 3LE: "0 " names, "+" signs, "-0" exponents, zero-padded angles, a catalog
    // number padded with blanks.
    const auto spaceTrack = ReadElementSets(DataFile("spacetrack-3le-excerpt-20200604.txt"));
    ASSERT_EQ(spaceTrack.size(), 6u);
    EXPECT_EQ(spaceTrack[0].Name, "VANGUARD 2");
    EXPECT_EQ(spaceTrack[0].CatalogNumber, 11);
    EXPECT_NEAR(spaceTrack[0].Elements.BStar, -0.4355e-5, 1e-18);
    EXPECT_EQ(spaceTrack[3].Name, "NOAA 19");
    EXPECT_NEAR(spaceTrack[3].Elements.BStar, 0.51615e-4, 1e-18);
    EXPECT_NEAR(spaceTrack[3].Elements.InclinationRad * RadToDeg, 99.1953, 1e-12);
}

TEST(Tle, BrokenSetsAreSkippedAndTheRestRead) {
    const std::string good1 = "NOAA 19\n" + Noaa19Line1 + "\n" + Noaa19Line2 + "\n";
    std::string badChecksum = Noaa19Line2;
    badChecksum.back() = '2';
    const std::string text =
        "BAD SUM\n" + Noaa19Line1 + "\n" + badChecksum + "\n" +                 // wrong checksum
        "CUT SHORT\n" + Noaa19Line1.substr(0, 40) + "\n" + Noaa19Line2 + "\n" + // truncated
        Noaa19Line1 + "\n" +                                                    // line 1 alone
        "\x01\x02\xff garbage\n" + good1 + "\n\n" + Noaa19Line1 + "\r\n" + Noaa19Line2 +
        "\r\n"; // two-line form
    const auto sets = ReadElementSets(text);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].Name, "NOAA 19");
    // No name line: the set is nameless, not named after the line before it.
    EXPECT_EQ(sets[1].Name, "");
    EXPECT_EQ(sets[1].CatalogNumber, 33591);
    // A file that ends inside a set.
    EXPECT_TRUE(
        ReadElementSets("NOAA 19\n" + Noaa19Line1 + "\n" + Noaa19Line2.substr(0, 30)).empty());
    EXPECT_TRUE(ReadElementSets("").empty());
}

TEST(Tle, AWholeFileIsOneWhoseEveryLineBelongsToASet) {
    for (const char* name :
         {"weather.txt", "noaa-crlf-20251117.txt", "spacetrack-3le-excerpt-20200604.txt"})
        EXPECT_EQ(ElementFileProblem(DataFile(name)), "") << name;
    const std::string weather = DataFile("weather.txt");
    // Cut inside the last set's second line: the sets before it still read; its three lines do
    // not.
    EXPECT_EQ(ElementFileProblem(weather.substr(0, weather.size() - 20)),
              "3 lines of it are not part of a valid element set");
    EXPECT_EQ(ElementFileProblem("<html><body>Service unavailable</body></html>\n"),
              "no element sets in it");
    EXPECT_EQ(ElementFileProblem(""), "no element sets in it");
    EXPECT_EQ(ElementFileProblem(Noaa19Line1 + "\n" + Noaa19Line2 + "\n\n"), "");
}

} // namespace
} // namespace kestrune

#include "core/PassLine.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(PassLine, ReadsEveryFieldOnce) {
    const TPassLine pass = ParsePassLine("20250528093206 S 45 123 726 NOAA 18");
    EXPECT_EQ(pass.Text, "20250528093206 S 45 123 726 NOAA 18");
    EXPECT_EQ(pass.Start, EncodeDateTime(2025, 5, 28, 9, 32, 6));
    EXPECT_EQ(pass.Direction, 'S');
    EXPECT_EQ(pass.MaxElevationDeg, 45);
    EXPECT_EQ(pass.MaxAzimuthDeg, 123);
    EXPECT_EQ(pass.LengthS, 726);
    EXPECT_EQ(pass.Satellite, "NOAA 18");
    EXPECT_TRUE(pass.Readable());
    EXPECT_DOUBLE_EQ(pass.End(), pass.Start + 726 / 86400.0);

    // The name may hold blanks; runs of blanks separate words.
    const TPassLine meteor = ParsePassLine("20250528093206  N 1 x  60 METEOR-M2 3 ");
    EXPECT_EQ(meteor.Direction, 'N');
    EXPECT_EQ(meteor.MaxElevationDeg, 1);
    EXPECT_EQ(meteor.MaxAzimuthDeg, std::nullopt);
    EXPECT_EQ(meteor.LengthS, 60);
    EXPECT_EQ(meteor.Satellite, "METEOR-M2 3");
}

TEST(PassLine, BrokenLinesAreCarriedButCannotBeReceived) {
    for (const char* bad : {"", "202505280932", "2025x528093206 S", "20250230093206 S",
                            "20251328093206 S", "20250528243206 S", "20250528096006 S",
                            "20250528093260 S", "00000528093206 S", "2025 5280932 6 S"})
        EXPECT_EQ(ParsePassLine(bad).Start, 0.0) << bad;

    // A length that is not a whole number: no length, the pass ends as it starts.
    for (const char* bad : {"20250528093206 S 45 123 7x6 NOAA 18",
                            "20250528093206 S 45 123 12.5 NOAA 18", "20250528093206 S 45 123"}) {
        const TPassLine pass = ParsePassLine(bad);
        EXPECT_EQ(pass.LengthS, std::nullopt) << bad;
        EXPECT_FALSE(pass.Readable()) << bad;
        EXPECT_EQ(pass.End(), pass.Start) << bad;
        EXPECT_EQ(pass.Text, bad);
    }
    // A length without a name.
    EXPECT_FALSE(ParsePassLine("20250528093206 S 45 123 726").Readable());
    EXPECT_EQ(ParsePassLine("20250528093206   ").Direction, '\0');
}

TEST(PassLine, DisplayTextUsesTheLocaleSeparatorsAndDropsTheMiddleWords) {
    TLocaleInfo locale;
    const TPassLine pass = ParsePassLine("20191224102345 N 45 123 726 NOAA 19");
    EXPECT_EQ(PassDisplayText(pass, locale), "2019/12/24 10:23:45 N NOAA 19");
    locale.DateSeparator = '-';
    locale.TimeSeparator = '.';
    EXPECT_EQ(PassDisplayText(pass, locale), "2019-12-24 10.23.45 N NOAA 19");
    // Short lines are drawn from what they have.
    EXPECT_EQ(PassDisplayText(ParsePassLine("20191224"), locale), "2019-12-24 ..");
    EXPECT_EQ(PassDisplayText(ParsePassLine("20191224102345 N 45 123"), locale),
              "2019-12-24 10.23.45 N");
}

} // namespace
} // namespace kestrune

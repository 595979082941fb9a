#include "core/PassLine.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(PassLine, ReadsStartLengthAndDirection) {
    const std::string line = "20250528093206 S 45 123 726 NOAA 18";
    EXPECT_EQ(PassStart(line), EncodeDateTime(2025, 5, 28, 9, 32, 6));
    EXPECT_DOUBLE_EQ(PassLength(line), 726 / 86400.0);
    EXPECT_EQ(PassDirection(line), 'S');
    // The name may hold blanks; word 5 is still the length.
    EXPECT_DOUBLE_EQ(PassLength("20250528093206 N 1 2 60 METEOR-M2 3"), 60 / 86400.0);
    EXPECT_EQ(PassDirection("20250528093206   N x"), 'N');
}

TEST(PassLine, BrokenStartsGiveZero) {
    for (const char* bad : {"", "202505280932", "2025x528093206 S", "20250230093206 S",
                            "20251328093206 S", "20250528243206 S", "20250528096006 S",
                            "20250528093260 S", "00000528093206 S", "2025 5280932 6 S"})
        EXPECT_EQ(PassStart(bad), 0.0) << bad;
}

TEST(PassLine, BrokenLengthsGiveZeroAndMissingDirectionsNothing) {
    EXPECT_EQ(PassLength("20250528093206 S 45 123"), 0.0);
    EXPECT_EQ(PassLength("20250528093206 S 45 123 7x6 NOAA 18"), 0.0);
    EXPECT_EQ(PassLength("20250528093206 S 45 123 12.5 NOAA 18"), 0.0);
    EXPECT_EQ(PassDirection("20250528093206"), '\0');
    EXPECT_EQ(PassDirection("20250528093206   "), '\0');
}

} // namespace
} // namespace kestrune

namespace kestrune {
namespace {

TEST(PassLine, DisplayTextUsesTheLocaleSeparatorsAndDropsTheMiddleWords) {
    TLocaleInfo locale;
    const std::string line = "20191224102345 N 45 123 726 NOAA 19";
    EXPECT_EQ(PassDisplayText(line, locale), "2019/12/24 10:23:45 N NOAA 19");
    locale.DateSeparator = '-';
    locale.TimeSeparator = '.';
    EXPECT_EQ(PassDisplayText(line, locale), "2019-12-24 10.23.45 N NOAA 19");
    // Short lines are drawn from what they have.
    EXPECT_EQ(PassDisplayText("20191224", locale), "2019-12-24 ..");
    EXPECT_EQ(PassDisplayText("20191224102345 N 45 123", locale), "2019-12-24 10.23.45 N");
}

} // namespace
} // namespace kestrune

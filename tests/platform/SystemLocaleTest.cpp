#include "platform/linux/SystemLocale.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

// The C locale is always there: a point, English month names, text passed through unchanged.
TEST(SystemLocale, TheCLocale) {
    setenv("LC_ALL", "C", 1);
    const TLocaleInfo info = SystemLocaleInfo();
    unsetenv("LC_ALL");
    EXPECT_EQ(info.DecimalSeparator, '.');
    EXPECT_EQ(info.DateSeparator, '/');
    EXPECT_EQ(info.TimeSeparator, ':');
    EXPECT_EQ(info.ShortMonthNames[11], "Dec");
    EXPECT_EQ(info.ToSystemCharset("M\xc3\xa9t\xc3\xa9o"), "M\xc3\xa9t\xc3\xa9o");
}

} // namespace
} // namespace kestrune

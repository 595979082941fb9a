#include "core/DateTime.h"

#include "core/Text.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <stdexcept>

namespace kestrune {
namespace {

TEST(DateTime, EncodesKnownDays) {
    EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDateTime(1970, 1, 1), UnixEpoch);
    EXPECT_EQ(EncodeDateTime(2000, 3, 1), 36586.0);
    EXPECT_EQ(FarFuture, EncodeDateTime(9999, 1, 1));
    EXPECT_DOUBLE_EQ(EncodeDateTime(2025, 5, 28, 12, 0, 0), 45805.5);
    EXPECT_THROW(EncodeDateTime(2025, 2, 29), std::invalid_argument);
    EXPECT_NO_THROW(EncodeDateTime(2024, 2, 29));
    EXPECT_THROW(EncodeDateTime(2025, 1, 1, 24), std::invalid_argument);
}

TEST(DateTime, DecodesWhatItEncodesAcrossCenturiesAndLeapDays) {
    const int dates[][3] = {{1899, 12, 30}, {1900, 2, 28}, {1900, 3, 1},  {2000, 2, 29},
                            {2024, 12, 31}, {2100, 3, 1},  {9999, 12, 31}};
    for (const auto& d : dates) {
        const TDateTimeParts p = DecodeDateTime(EncodeDateTime(d[0], d[1], d[2], 23, 59, 58, 999));
        EXPECT_EQ(p.Year, d[0]);
        EXPECT_EQ(p.Month, d[1]);
        EXPECT_EQ(p.Day, d[2]);
        EXPECT_EQ(p.Hour, 23);
        EXPECT_EQ(p.Minute, 59);
        EXPECT_EQ(p.Second, 58);
        EXPECT_EQ(p.Millisecond, 999);
    }
}

TEST(DateTime, CompactFormDropsMillisecondsButRoundsBinaryNoise) {
    EXPECT_EQ(FormatCompact(EncodeDateTime(2026, 12, 8, 5, 4, 3, 999)), "20261208050403");
    // 13:00:00 is not exact in binary; it must not print as 12:59:59.
    EXPECT_EQ(FormatCompact(EncodeDateTime(2026, 1, 2) + 13.0 / 24.0), "20260102130000");
    EXPECT_EQ(FormatCompact(FromUnixSeconds(1748433600.0)), "20250528120000");
    EXPECT_EQ(FormatIsoUtc(EncodeDateTime(2026, 12, 8, 5, 50, 1, 123)), "2026-12-08T05:50:01.123Z");
    EXPECT_EQ(FormatIsoUtc(EncodeDateTime(2026, 12, 8, 5, 50, 1, 999), false),
              "2026-12-08T05:50:01Z");
}

// The compact form is written digit by digit; it must be what printf's "%04d%02d..." writes,
// for short, long and negative years too.
TEST(DateTime, CompactFormIsWhatPrintfWrites) {
    for (TDateTime value = -800000.5; value < 3.0e6; value += 997.123) {
        const TDateTimeParts p = DecodeDateTime(value);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%04d%02d%02d%02d%02d%02d", p.Year, p.Month, p.Day,
                      p.Hour, p.Minute, p.Second);
        EXPECT_EQ(FormatCompact(value), expected) << value;
    }
}

TEST(Text, ParsesOnlyPlainDecimalIntegers) {
    EXPECT_EQ(ParseInt("720"), 720);
    EXPECT_EQ(ParseInt("-5"), -5);
    EXPECT_EQ(ParseInt("+7"), 7);
    EXPECT_EQ(ParseInt("007"), 7);
    for (const char* bad : {"", " 1", "1 ", "1.0", "0x10", "++1", "+", "-", "99999999999"})
        EXPECT_FALSE(ParseInt(bad)) << bad;
}

TEST(Text, TrimsUppercasesComparesAndReplaces) {
    EXPECT_EQ(Trim("\t 12 \r\n"), "12");
    EXPECT_EQ(UpperCaseAscii("noaa 19 \xc3\xa9"), "NOAA 19 \xc3\xa9");
    EXPECT_EQ(CompareTextAscii("noaa", "NOAA"), 0);
    EXPECT_LT(CompareTextAscii("abc", "abcd"), 0);
    EXPECT_GT(CompareTextAscii("b", "A"), 0);
    EXPECT_EQ(ReplaceAll("NOAA-18 x NOAA-18", "NOAA-18", "NOAA 18"), "NOAA 18 x NOAA 18");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");
}

TEST(Text, ConvertsBetweenUtf8AndUtf16) {
    // "Bjørn €" and a satellite name beyond the basic plane (U+1F6F0, a surrogate pair).
    const std::string utf8 = "Bj\xc3\xb8rn \xe2\x82\xac \xf0\x9f\x9b\xb0";
    const std::u16string utf16 = u"Bj\u00f8rn \u20ac \U0001F6F0";
    EXPECT_EQ(Utf16FromUtf8(utf8), utf16);
    EXPECT_EQ(Utf8FromUtf16(utf16), utf8);
    // What is no UTF-8 (a Latin-1 byte, an overlong "/", a cut sequence) and a lone surrogate
    // become U+FFFD, one for each byte or unit that cannot be read.
    EXPECT_EQ(Utf16FromUtf8("a\xf8 \xc0\xaf \xe2\x82"), u"a\ufffd \ufffd\ufffd \ufffd\ufffd");
    EXPECT_EQ(Utf8FromUtf16(std::u16string(u"x") + char16_t(0xD800) + u"y"), "x\xef\xbf\xbdy");
}

} // namespace
} // namespace kestrune

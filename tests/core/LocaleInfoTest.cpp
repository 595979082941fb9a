#include "core/LocaleInfo.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TLocaleInfo CommaLocale() {
    TLocaleInfo locale;
    locale.DecimalSeparator = ',';
    return locale;
}

TEST(LocaleInfo, ParsesNumbersWithTheLocaleSeparator) {
    const TLocaleInfo point;
    EXPECT_DOUBLE_EQ(StrToFloat("55.9", point), 55.9);
    EXPECT_DOUBLE_EQ(StrToFloat(" -3.2 ", point), -3.2);
    EXPECT_DOUBLE_EQ(StrToFloat("+180", point), 180.0);
    EXPECT_DOUBLE_EQ(StrToFloat(".5", point), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("5.", point), 5.0);
    EXPECT_DOUBLE_EQ(StrToFloat("1.5E3", point), 1500.0);
    EXPECT_DOUBLE_EQ(StrToFloat("55,9", CommaLocale()), 55.9);
}

TEST(LocaleInfo, RejectsWhatIsNotANumberWithTheExactMessage) {
    const TLocaleInfo point;
    for (const char* bad : {"", " ", "abc", "1.2.3", "1e", "--1", "1,5", "0x10", "1 2", "nan"}) {
        try {
            StrToFloat(bad, point);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.what(),
                      "'" + std::string(bad) + "' is not a valid floating point value");
        }
    }
    EXPECT_THROW(StrToFloat("55.9", CommaLocale()), EConvertError);
}

TEST(LocaleInfo, LenientParsingAcceptsAPointUnderACommaLocale) {
    EXPECT_DOUBLE_EQ(ParseFloatLenient("56.1", 55.9, CommaLocale()), 56.1);
    EXPECT_DOUBLE_EQ(ParseFloatLenient("56,1", 55.9, CommaLocale()), 56.1);
    EXPECT_DOUBLE_EQ(ParseFloatLenient("", 55.9, CommaLocale()), 55.9);
    EXPECT_DOUBLE_EQ(ParseFloatLenient("5.6.1", 180, CommaLocale()), 180);
    EXPECT_DOUBLE_EQ(ParseFloatLenient("north", -3.2, TLocaleInfo{}), -3.2);
}

TEST(LocaleInfo, AStoredNumberReadsWithEitherSeparatorWhateverTheLocale) {
    const TLocaleInfo point; // the C locale a service runs under
    EXPECT_EQ(LocaleNumberText("55,9", point), "55.9");
    EXPECT_EQ(LocaleNumberText(" -3,2 ", point), " -3.2 ");
    EXPECT_EQ(LocaleNumberText("55.9", CommaLocale()), "55,9");
    EXPECT_EQ(LocaleNumberText("55.9", point), "55.9");
    EXPECT_DOUBLE_EQ(StrToFloat(LocaleNumberText("55,9", point), point), 55.9);
    EXPECT_DOUBLE_EQ(ParseFloatLenient("55,9", 0, point), 55.9);
    // Two separators, or no number at all: left as they are, and the message names them.
    EXPECT_EQ(LocaleNumberText("1,234.5", point), "1,234.5");
    EXPECT_EQ(LocaleNumberText("55,9,1", point), "55,9,1");
    EXPECT_EQ(LocaleNumberText("north,east", point), "north,east");
    try {
        StrToFloat(LocaleNumberText("55,9 N", point), point);
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'55,9 N' is not a valid floating point value");
    }
}

TEST(LocaleInfo, WritesTheShortestFormWithFifteenDigits) {
    const TLocaleInfo point;
    EXPECT_EQ(FloatToStr(55.9, point), "55.9");
    EXPECT_EQ(FloatToStr(-3.0, point), "-3");
    EXPECT_EQ(FloatToStr(0.1 + 0.2, point), "0.3");
    EXPECT_EQ(FloatToStr(1.0 / 3.0, point), "0.333333333333333");
    EXPECT_EQ(FloatToStr(137.62, CommaLocale()), "137,62");
    // What it writes, it reads back (to the 15 digits it keeps).
    for (double v : {51.477928, -0.001475, 1e-7, 123456789.125})
        EXPECT_NEAR(StrToFloat(FloatToStr(v, CommaLocale()), CommaLocale()), v,
                    std::abs(v) * 1e-14);
}

TEST(LocaleInfo, ConvertsOutgoingTextOnlyWhenTheLocaleIsNotUtf8) {
    TLocaleInfo locale;
    EXPECT_EQ(locale.ToSystemCharset("M\xc3\xa9t\xc3\xa9o"), "M\xc3\xa9t\xc3\xa9o");
    locale.FromUtf8 = [](std::string_view text) { return "<" + std::string(text) + ">"; };
    EXPECT_EQ(locale.ToSystemCharset("x"), "<x>");
}

} // namespace
} // namespace kestrune

#pragma once
// The user's locale as the program uses it: separators, month names and the character set of
// what leaves the program as 8-bit text. Filled from the system at start-up and injected;
// tests make their own.

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrune {

struct TLocaleInfo {
    char DecimalSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // UTF-8 text converted to the locale's character set (the schedule file, the serial port,
    // tracking clients). Empty: the locale's set is UTF-8 and the text goes out as it is.
    std::function<std::string(std::string_view)> FromUtf8;

    std::string ToSystemCharset(std::string_view text) const {
        return FromUtf8 ? FromUtf8(text) : std::string(text);
    }
};

// A conversion that the text does not allow, with the user-facing message.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A decimal number with the locale's decimal separator: blanks around it, a sign, digits with
// one separator, an exponent. Anything else throws EConvertError
// "'<text>' is not a valid floating point value".
double StrToFloat(std::string_view text, const TLocaleInfo& locale);
// A stored number in the locale's form: a number written with the other decimal separator
// ("55,9" stored under a decimal-comma locale and read under the C locale, or the other way
// round) gets the locale's. Any other text comes back as it is, so that a conversion of it
// still names it.
std::string LocaleNumberText(std::string_view text, const TLocaleInfo& locale);
// StrToFloat of the text in the locale's form (a value another program or locale wrote); the
// default when it does not read. Never throws.
double ParseFloatLenient(std::string_view text, double defaultValue, const TLocaleInfo& locale);
// The shortest decimal form with up to 15 significant digits, the locale's separator.
std::string FloatToStr(double value, const TLocaleInfo& locale);

} // namespace kestrune

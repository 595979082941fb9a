#include "core/LocaleInfo.h"

#include "core/Text.h"

#include <charconv>
#include <cstdio>

namespace kestrune {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text in the C form ("-12.5e3"), or nothing when it is not a number in the locale's form.
bool NormaliseNumber(std::string_view text, char separator, std::string& normal) {
    std::size_t p = 0;
    const std::size_t n = text.size();
    if (p < n && (text[p] == '+' || text[p] == '-')) {
        if (text[p] == '-')
            normal += '-';
        ++p;
    }
    int digits = 0;
    for (; p < n && IsDigit(text[p]); ++p, ++digits)
        normal += text[p];
    if (p < n && text[p] == separator) {
        normal += '.';
        for (++p; p < n && IsDigit(text[p]); ++p, ++digits)
            normal += text[p];
    }
    if (digits == 0)
        return false;
    if (p < n && (text[p] == 'e' || text[p] == 'E')) {
        normal += 'e';
        ++p;
        if (p < n && (text[p] == '+' || text[p] == '-'))
            normal += text[p++];
        int exponentDigits = 0;
        for (; p < n && IsDigit(text[p]); ++p, ++exponentDigits)
            normal += text[p];
        if (exponentDigits == 0)
            return false;
    }
    return p == n;
}

} // namespace

double StrToFloat(std::string_view text, const TLocaleInfo& locale) {
    std::string normal;
    double value = 0;
    if (NormaliseNumber(Trim(text), locale.DecimalSeparator, normal)) {
        const auto [end, error] =
            std::from_chars(normal.data(), normal.data() + normal.size(), value);
        if (error == std::errc() && end == normal.data() + normal.size())
            return value;
    }
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::string LocaleNumberText(std::string_view text, const TLocaleInfo& locale) {
    const char other = locale.DecimalSeparator == ',' ? '.' : ',';
    std::string localeText(text);
    const std::size_t separator = localeText.find(other);
    if (separator == std::string::npos ||
        localeText.find(locale.DecimalSeparator) != std::string::npos)
        return localeText;
    localeText[separator] = locale.DecimalSeparator;
    std::string normal;
    return NormaliseNumber(Trim(localeText), locale.DecimalSeparator, normal) ? localeText
                                                                              : std::string(text);
}

double ParseFloatLenient(std::string_view text, double defaultValue, const TLocaleInfo& locale) {
    try {
        return StrToFloat(LocaleNumberText(text, locale), locale);
    } catch (const EConvertError&) {
        return defaultValue;
    }
}

std::string FloatToStr(double value, const TLocaleInfo& locale) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text = buffer;
    for (char& c : text)
        if (c == '.')
            c = locale.DecimalSeparator;
    return text;
}

} // namespace kestrune

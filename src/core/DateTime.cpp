#include "core/DateTime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace kestrune {

namespace {

constexpr long long MsPerDay = 86'400'000;

int DaysInMonth(int year, int month) {
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : Days[month - 1];
}

} // namespace

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int millisecond) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
           millisecond >= 0 && millisecond < 1000;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
    if (!IsValidDate(year, month, day) || !IsValidTime(hour, minute, second, millisecond))
        throw std::invalid_argument("Invalid date or time");
    const double days = static_cast<double>(DaysFromCivil(year, month, day));
    const double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    return days + ms / static_cast<double>(MsPerDay);
}

TDateTimeParts DecodeDateTime(TDateTime value) {
    const long long totalMs = ToMilliseconds(value);
    long long days = totalMs / MsPerDay;
    long long msOfDay = totalMs % MsPerDay;
    if (msOfDay < 0) {
        msOfDay += MsPerDay;
        --days;
    }
    // Civil date from a day count (1970-01-01 based), after Howard Hinnant's algorithm.
    const long long z = days - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    TDateTimeParts parts;
    parts.Day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    parts.Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    parts.Year = static_cast<int>(yearOfEra + era * 400 + (parts.Month <= 2 ? 1 : 0));
    parts.Hour = static_cast<int>(msOfDay / 3'600'000);
    parts.Minute = static_cast<int>(msOfDay / 60'000 % 60);
    parts.Second = static_cast<int>(msOfDay / 1000 % 60);
    parts.Millisecond = static_cast<int>(msOfDay % 1000);
    return parts;
}

std::string FormatIsoUtc(TDateTime value, bool milliseconds) {
    const TDateTimeParts p = DecodeDateTime(value);
    char text[40];
    const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", p.Year,
                                     p.Month, p.Day, p.Hour, p.Minute, p.Second);
    if (milliseconds)
        std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), ".%03d",
                      p.Millisecond);
    return std::string(text) + "Z";
}

long long ToMilliseconds(TDateTime value) {
    return std::llround(value * static_cast<double>(MsPerDay));
}

std::string FormatCompact(TDateTime value) {
    // Digit by digit: snprintf's format parsing cost a thirtieth of a whole pass search, which
    // writes one of these per pass.
    const TDateTimeParts p = DecodeDateTime(value);
    const std::pair<int, int> fields[] = {{p.Year, 4}, {p.Month, 2},  {p.Day, 2},
                                          {p.Hour, 2}, {p.Minute, 2}, {p.Second, 2}};
    std::string text;
    text.reserve(14);
    for (const auto& [number, width] : fields) {
        // As printf's "%0*d" does: zeros between any sign and the digits, up to the width.
        char digits[24];
        const char* end =
            std::to_chars(digits, std::end(digits), std::abs(static_cast<long long>(number))).ptr;
        const auto count = static_cast<int>(end - digits);
        if (number < 0)
            text += '-';
        text.append(static_cast<std::size_t>(std::max(0, width - count - (number < 0))), '0');
        text.append(digits, static_cast<std::size_t>(count));
    }
    return text;
}

std::optional<TDateTime> ParseCompact(std::string_view text) {
    if (text.size() != 14 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const auto piece = [&](std::size_t at, std::size_t count) {
        int value = 0;
        for (char c : text.substr(at, count))
            value = value * 10 + (c - '0');
        return value;
    };
    const int year = piece(0, 4), month = piece(4, 2), day = piece(6, 2);
    const int hour = piece(8, 2), minute = piece(10, 2), second = piece(12, 2);
    if (!IsValidDate(year, month, day) || !IsValidTime(hour, minute, second, 0))
        return std::nullopt;
    return EncodeDateTime(year, month, day, hour, minute, second);
}

} // namespace kestrune

#pragma once
// UTC date-times as days since 1899-12-30 00:00 UTC, the fraction being the time of day.

#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

using TDateTime = double;

constexpr double SecondsPerDay = 86400.0;
constexpr TDateTime OneSecond = 1.0 / SecondsPerDay;
// 1970-01-01 00:00 UTC.
constexpr TDateTime UnixEpoch = 25569.0;

struct TDateTimeParts {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// Days from 1899-12-30 to the given proleptic Gregorian date; no validation.
constexpr long DaysFromCivil(int year, int month, int day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yearOfEra = y - era * 400;
    const long dayOfYear = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + 25569;
}

// Stands for "no next pass".
constexpr TDateTime FarFuture = static_cast<TDateTime>(DaysFromCivil(9999, 1, 1));

bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int millisecond);
// Throws std::invalid_argument for a date or time that does not exist.
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int millisecond = 0);
// Rounded to the nearest millisecond.
TDateTimeParts DecodeDateTime(TDateTime value);
// "yyyymmddhhnnss"; the milliseconds are dropped, not rounded into the seconds.
std::string FormatCompact(TDateTime value);
// A text of exactly "yyyymmddhhnnss" read back; nothing for any other text.
std::optional<TDateTime> ParseCompact(std::string_view text);

// "2026-12-08T05:50:01.123Z", for logs; "2026-12-08T05:50:01Z" without the milliseconds (which
// are dropped, not rounded into the seconds).
std::string FormatIsoUtc(TDateTime value, bool milliseconds = true);

// Whole milliseconds: the resolution at which the program compares times, so that sums of day
// fractions that differ in their last bit still compare equal.
long long ToMilliseconds(TDateTime value);

constexpr double ToUnixSeconds(TDateTime value) {
    return (value - UnixEpoch) * SecondsPerDay;
}
constexpr TDateTime FromUnixSeconds(double seconds) {
    return UnixEpoch + seconds / SecondsPerDay;
}

class IClock {
public:
    virtual ~IClock() = default;
    // The current UTC date-time, milliseconds included.
    virtual TDateTime UtcNow() const = 0;
};

// A clock that only moves forward, whatever is done to the wall clock (NTP at boot, a manual
// correction): waits are measured on it.
class IMonotonicClock {
public:
    virtual ~IMonotonicClock() = default;
    // Milliseconds since some fixed moment.
    virtual long long Milliseconds() const = 0;
};

// Another clock's time moved on or back so that it read `start` when this one was made: the
// demonstration runs the program a minute before a pass of old sample data.
class TShiftedClock final : public IClock {
public:
    TShiftedClock(const IClock& base, TDateTime start)
        : FBase(base), FShift(start - base.UtcNow()) {}
    TDateTime UtcNow() const override { return FBase.UtcNow() + FShift; }

private:
    const IClock& FBase;
    TDateTime FShift;
};

} // namespace kestrune

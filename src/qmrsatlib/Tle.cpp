#include "qmrsatlib/Tle.h"

#include "core/ElementSets.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace kestrune {

namespace {

constexpr double DegToRad = std::numbers::pi / 180.0;
// 1899-12-30 00:00 UTC as a Julian date.
constexpr double JulianOfZeroDateTime = 2415018.5;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Columns first..last (counted from 1) of a line.
std::string_view Columns(std::string_view line, std::size_t first, std::size_t last) {
    return line.substr(first - 1, last - first + 1);
}

// A decimal number padded with blanks, with an optional sign ("+" too).
std::optional<double> ParseDecimal(std::string_view field) {
    field = Trim(field);
    bool negative = false;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    if (field.empty() || !(IsDigit(field.front()) || field.front() == '.'))
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(field.data(), field.data() + field.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != field.data() + field.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// A whole number padded with blanks on the left (catalog numbers below 10000 in some exports).
std::optional<int> ParseWhole(std::string_view field) {
    while (!field.empty() && field.front() == ' ')
        field.remove_prefix(1);
    if (field.empty())
        return std::nullopt;
    int value = 0;
    for (const char c : field) {
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The five columns of a catalog number: digits, or the Alpha-5 form of the numbers from 100000
// on: a letter for the ten-thousands (A 10, B 11, ... Z 33, without I and O) and four digits
// ("A0001" is 100001).
std::optional<int> ParseCatalogNumber(std::string_view field) {
    const char first = field.empty() ? '\0' : field.front();
    if (first < 'A' || first > 'Z')
        return ParseWhole(field);
    if (first == 'I' || first == 'O' || field.size() != 5 || field[1] == ' ')
        return std::nullopt;
    const auto rest = ParseWhole(field.substr(1));
    if (!rest)
        return std::nullopt;
    const int letter = 10 + (first - 'A') - (first > 'I' ? 1 : 0) - (first > 'O' ? 1 : 0);
    return letter * 10000 + *rest;
}

// Digits after an assumed leading decimal point ("0012345" is 0.0012345).
std::optional<double> ParseAssumedFraction(std::string_view field) {
    double value = 0.0;
    double scale = 1.0;
    for (const char c : field) {
        if (!IsDigit(c))
            return std::nullopt;
        scale /= 10.0;
        value += (c - '0') * scale;
    }
    return value;
}

// " 12345-4", "+51615-4", "-11606-4", "00000+0": sign, five digits after an assumed decimal
// point, then the power of ten with its sign.
std::optional<double> ParseExponential(std::string_view field) {
    field = Trim(field);
    double sign = 1.0;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        sign = field.front() == '-' ? -1.0 : 1.0;
        field.remove_prefix(1);
    }
    if (field.size() < 3)
        return std::nullopt;
    const char exponentSign = field[field.size() - 2];
    const char exponentDigit = field.back();
    if ((exponentSign != '+' && exponentSign != '-') || !IsDigit(exponentDigit))
        return std::nullopt;
    const auto mantissa = ParseAssumedFraction(field.substr(0, field.size() - 2));
    if (!mantissa)
        return std::nullopt;
    const int exponent = (exponentSign == '-' ? -1 : 1) * (exponentDigit - '0');
    return sign * *mantissa * std::pow(10.0, exponent);
}

std::optional<double> ParseAngle(std::string_view field, double maxDeg) {
    const auto value = ParseDecimal(field);
    if (!value || *value < 0.0 || *value > maxDeg)
        return std::nullopt;
    return *value * DegToRad;
}

bool StartsWithLineNumber(std::string_view line, char number) {
    return line.size() >= 2 && line[0] == number && line[1] == ' ';
}

} // namespace

bool HasValidChecksum(std::string_view line) {
    if (line.size() != TleLineLength || !IsDigit(line.back()))
        return false;
    int sum = 0;
    for (std::size_t i = 0; i + 1 < TleLineLength; ++i) {
        if (IsDigit(line[i]))
            sum += line[i] - '0';
        else if (line[i] == '-')
            sum += 1;
    }
    return sum % 10 == line.back() - '0';
}

std::optional<TElementSet> ParseElementLines(std::string_view line1, std::string_view line2) {
    if (line1.size() != TleLineLength || line2.size() != TleLineLength ||
        !StartsWithLineNumber(line1, '1') || !StartsWithLineNumber(line2, '2'))
        return std::nullopt;
    const auto catalog1 = ParseCatalogNumber(Columns(line1, 3, 7));
    const auto catalog2 = ParseCatalogNumber(Columns(line2, 3, 7));
    if (!catalog1 || catalog1 != catalog2)
        return std::nullopt;

    const auto year2 = ParseWhole(Columns(line1, 19, 20));
    const auto epochDay = ParseDecimal(Columns(line1, 21, 32));
    const auto ndot = ParseDecimal(Columns(line1, 34, 43));
    const auto nddot = ParseExponential(Columns(line1, 45, 52));
    const auto bstar = ParseExponential(Columns(line1, 54, 61));
    if (!year2 || Columns(line1, 19, 20).front() == ' ' || !epochDay || *epochDay < 1.0 ||
        *epochDay >= 367.0 || !ndot || !nddot || !bstar)
        return std::nullopt;

    const auto inclination = ParseAngle(Columns(line2, 9, 16), 180.0);
    const auto raan = ParseAngle(Columns(line2, 18, 25), 360.0);
    const auto eccentricity = ParseAssumedFraction(Columns(line2, 27, 33));
    const auto argPerigee = ParseAngle(Columns(line2, 35, 42), 360.0);
    const auto meanAnomaly = ParseAngle(Columns(line2, 44, 51), 360.0);
    const auto meanMotionRevPerDay = ParseDecimal(Columns(line2, 53, 63));
    if (!inclination || !raan || !eccentricity || !argPerigee || !meanAnomaly ||
        !meanMotionRevPerDay || *meanMotionRevPerDay <= 0.0)
        return std::nullopt;

    // Two-digit years: 57-99 are 1957-1999, 00-56 are 2000-2056.
    const int year = *year2 < 57 ? 2000 + *year2 : 1900 + *year2;
    TElementSet set;
    set.CatalogNumber = *catalog1;
    set.Epoch = static_cast<TDateTime>(DaysFromCivil(year, 1, 1)) + (*epochDay - 1.0);
    set.Elements.EpochJulian = set.Epoch + JulianOfZeroDateTime;
    set.Elements.BStar = *bstar;
    set.Elements.InclinationRad = *inclination;
    set.Elements.RaanRad = *raan;
    set.Elements.Eccentricity = *eccentricity;
    set.Elements.ArgPerigeeRad = *argPerigee;
    set.Elements.MeanAnomalyRad = *meanAnomaly;
    set.Elements.MeanMotionRadPerMin = *meanMotionRevPerDay * 2.0 * std::numbers::pi / 1440.0;
    return set;
}

namespace {

// Reads the sets of a text and, when asked, the first line that belongs to none and why.
std::vector<TElementSet> ScanElementLines(std::string_view text, std::string* stray) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }

    const auto strayLine = [&](std::size_t index, const std::string& why) {
        if (stray && stray->empty())
            *stray = "line " + std::to_string(index + 1) + ": " + why;
    };
    std::vector<TElementSet> sets;
    std::string_view nameLine;
    std::size_t nameIndex = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const bool named = !Trim(nameLine).empty();
        if (StartsWithLineNumber(line, '1') && i + 1 < lines.size() &&
            StartsWithLineNumber(lines[i + 1], '2')) {
            const std::string_view line2 = lines[i + 1];
            std::optional<TElementSet> set;
            if (line.size() != TleLineLength || line2.size() != TleLineLength)
                strayLine(
                    line.size() != TleLineLength ? i : i + 1,
                    "an element line of " +
                        std::to_string(line.size() != TleLineLength ? line.size() : line2.size()) +
                        " characters, not 69");
            else if (!HasValidChecksum(line) || !HasValidChecksum(line2))
                strayLine(HasValidChecksum(line) ? i + 1 : i, "its checksum is wrong");
            else if (!(set = ParseElementLines(line, line2)))
                strayLine(i, "a field of the set is malformed or out of range");
            if (set) {
                set->Name = CleanSatelliteName(nameLine);
                sets.push_back(std::move(*set));
            } else if (named) {
                strayLine(nameIndex, "the name of a set that is not valid");
            }
            nameLine = {};
            ++i;
            continue;
        }
        if (named)
            strayLine(nameIndex, "no element set follows this line");
        if (StartsWithLineNumber(line, '1') || StartsWithLineNumber(line, '2')) {
            // A stray or broken element line is never anyone's name.
            strayLine(i, std::string("line ") + line[0] + " of a set without its line " +
                             (line[0] == '1' ? "2" : "1"));
            nameLine = {};
        } else {
            nameLine = line;
            nameIndex = i;
        }
    }
    if (!Trim(nameLine).empty())
        strayLine(nameIndex, "no element set follows this line");
    return sets;
}

} // namespace

std::vector<TElementSet> ReadElementSets(std::string_view text) {
    return ScanElementLines(text, nullptr);
}

std::string FirstStrayLine(std::string_view text) {
    std::string stray;
    ScanElementLines(text, &stray);
    return stray;
}

std::string ElementLinesProblem(std::string_view text, const std::vector<TElementSet>& sets) {
    if (sets.empty())
        return "no element sets in it";
    std::size_t lines = 0;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        if (text.substr(begin, end - begin).find_first_not_of(" \r\t") != std::string_view::npos)
            ++lines;
        begin = end + 1;
    }
    std::size_t setLines = 0;
    for (const TElementSet& set : sets)
        setLines += set.Name.empty() ? 2 : 3;
    if (lines != setLines)
        return std::to_string(lines - std::min(lines, setLines)) +
               " lines of it are not part of a valid element set";
    return "";
}

} // namespace kestrune

#include "core/PassLine.h"

#include "core/Text.h"

namespace kestrune {

namespace {

// Characters from..from+count-1 (counted from 1), as much of them as the line has.
std::string_view Copy(std::string_view line, std::size_t from, std::size_t count) {
    return from - 1 < line.size() ? line.substr(from - 1, count) : std::string_view();
}

// Word `index` (from 1); words are runs of characters other than blanks.
std::string_view Word(std::string_view line, int index) {
    std::size_t p = 0;
    for (int i = 1;; ++i) {
        while (p < line.size() && line[p] == ' ')
            ++p;
        const std::size_t start = p;
        while (p < line.size() && line[p] != ' ')
            ++p;
        if (start == p)
            return {};
        if (i == index)
            return line.substr(start, p - start);
    }
}

} // namespace

TDateTime PassStart(std::string_view line) {
    static constexpr std::size_t Pieces[6][2] = {{1, 4}, {5, 2}, {7, 2}, {9, 2}, {11, 2}, {13, 2}};
    int values[6];
    for (int i = 0; i < 6; ++i) {
        const auto value = ParseInt(Copy(line, Pieces[i][0], Pieces[i][1]));
        if (!value)
            return 0;
        values[i] = *value;
    }
    if (!IsValidDate(values[0], values[1], values[2]) ||
        !IsValidTime(values[3], values[4], values[5], 0))
        return 0;
    return EncodeDateTime(values[0], values[1], values[2], values[3], values[4], values[5]);
}

TDateTime PassLength(std::string_view line) {
    const auto seconds = ParseInt(Word(line, 5));
    return seconds ? *seconds / SecondsPerDay : 0;
}

std::string PassDisplayText(std::string_view line, const TLocaleInfo& locale) {
    std::string text;
    text.append(Copy(line, 1, 4)).append(1, locale.DateSeparator).append(Copy(line, 5, 2));
    text.append(1, locale.DateSeparator).append(Copy(line, 7, 2)).append(" ");
    text.append(Copy(line, 9, 2)).append(1, locale.TimeSeparator).append(Copy(line, 11, 2));
    text.append(1, locale.TimeSeparator).append(Copy(line, 13, 4));
    // The tail: from character 17, trimmed, without words 3 and 4, then from the blank before
    // the name (so the length is dropped and a blank stays in front of the name).
    std::string_view tail = Trim(Copy(line, 17, std::string_view::npos));
    for (int i = 0; i < 2; ++i) {
        const std::size_t blank = tail.find(' ');
        tail = blank == std::string_view::npos ? std::string_view() : tail.substr(blank + 1);
    }
    const std::size_t blank = tail.find(' ');
    text.append(blank == std::string_view::npos ? std::string_view() : tail.substr(blank));
    return text;
}

char PassDirection(std::string_view line) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos)
        return '\0';
    const std::size_t letter = line.find_first_not_of(' ', blank);
    return letter == std::string_view::npos ? '\0' : line[letter];
}

} // namespace kestrune

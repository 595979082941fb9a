#include "core/PassLine.h"

#include "core/Text.h"

#include <array>

namespace kestrune {

namespace {

// Characters from..from+count-1 (counted from 1), as much of them as the line has.
std::string_view Copy(std::string_view line, std::size_t from, std::size_t count) {
    return from - 1 < line.size() ? line.substr(from - 1, count) : std::string_view();
}

TDateTime StartOf(std::string_view line) {
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

} // namespace

TPassLine ParsePassLine(std::string line) {
    TPassLine pass;
    pass.Start = StartOf(line);
    const std::string_view text = line;
    // The first five words; what follows the fifth is the name.
    std::array<std::string_view, 5> words;
    std::size_t p = 0;
    for (std::string_view& word : words) {
        while (p < text.size() && text[p] == ' ')
            ++p;
        const std::size_t start = p;
        while (p < text.size() && text[p] != ' ')
            ++p;
        word = text.substr(start, p - start);
    }
    pass.Direction = words[1].empty() ? '\0' : words[1].front();
    pass.MaxElevationDeg = ParseInt(words[2]);
    pass.MaxAzimuthDeg = ParseInt(words[3]);
    pass.LengthS = ParseInt(words[4]);
    pass.Satellite = Trim(text.substr(p));
    pass.Text = std::move(line);
    return pass;
}

std::string PassDisplayText(const TPassLine& pass, const TLocaleInfo& locale) {
    const std::string_view line = pass.Text;
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

} // namespace kestrune

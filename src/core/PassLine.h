#pragma once
// The pass line: one text line per predicted pass,
//   "yyyymmddhhnnss D w3 w4 LENGTH NAME"
// the UTC start, the direction letter (N or S), the highest elevation and its azimuth in whole
// degrees, the length in whole seconds and the satellite's name (which may hold blanks). The
// component hands passes over as these lines; they are read once, where they leave it, into a
// TPassLine that the pass list, the sequencer and the displays carry.

#include "core/DateTime.h"
#include "core/LocaleInfo.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

struct TPassLine {
    // The line as the component wrote it: the schedule file's line and the pass list's order.
    std::string Text;
    // From positions 1-14; 0 when a piece is not an integer or the date or time is not valid.
    TDateTime Start = 0;
    // The first letter of word 2 ('N' or 'S'); '\0' when there is none.
    char Direction = '\0';
    // Words 3 and 4, when they are whole numbers.
    std::optional<int> MaxElevationDeg, MaxAzimuthDeg;
    // Word 5, when it is a whole number.
    std::optional<int> LengthS;
    // Everything after word 5, trimmed.
    std::string Satellite;

    // Whether the pass can be received: it has a length and a satellite. A line that cannot
    // never starts.
    bool Readable() const { return LengthS && !Satellite.empty(); }
    // The start plus the length; a line without a length ends as it starts.
    TDateTime End() const { return Start + LengthS.value_or(0) / SecondsPerDay; }
};

// Words are runs of characters other than blanks.
TPassLine ParsePassLine(std::string line);

// The pass as the pass list shows it: "2019/12/24 10:23:45 N NOAA 19" with the locale's date
// and time separators, without the words the list does not show. Drawn from the line's
// characters, so a short or broken line shows what it has.
std::string PassDisplayText(const TPassLine& pass, const TLocaleInfo& locale);

} // namespace kestrune

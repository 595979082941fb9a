#pragma once
// The pass line: one text line per predicted pass,
//   "yyyymmddhhnnss D w3 w4 LENGTH NAME"
// the UTC start, the direction letter (N or S), two words the program does not read, the
// length in whole seconds and the satellite's name (which may hold blanks).

#include "core/DateTime.h"
#include "core/LocaleInfo.h"

#include <string>
#include <string_view>

namespace kestrune {

// The start from positions 1-14; 0 when a piece is not an integer or the date or time is not
// valid.
TDateTime PassStart(std::string_view line);
// Word 5 as seconds in days; 0 when it is not an integer.
TDateTime PassLength(std::string_view line);
// The first character other than a blank after the line's first blank; '\0' when there is none.
char PassDirection(std::string_view line);
// The line as the pass list shows it: "2019/12/24 10:23:45 N NOAA 19" with the locale's date
// and time separators, without the words the list does not show.
std::string PassDisplayText(std::string_view line, const TLocaleInfo& locale);

} // namespace kestrune

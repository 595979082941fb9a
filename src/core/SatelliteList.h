#pragma once
// The stored satellite list ("SatList"): the comma text of the entries, each entry the comma
// text of name (blanks written "_"), direction and minimum length.

#include "ScheduleBuilder.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// The stored form of the default entries.
std::string DefaultSatList();
// A value in the older flat layout (name, direction, length, name, ...; recognised by having
// no "_") turned into the current one; a current value without blanks in its names comes out
// unchanged. One or two fields left over at the end are dropped.
std::string ConvertOldSatList(const std::string& value);
// The grid's rows from a stored value (fields after the third are dropped).
std::vector<TSatelliteRow> SatelliteRowsFromSatList(const std::string& value);
// The stored value from the grid's rows.
std::string SatListFromRows(const std::vector<TSatelliteRow>& rows);

// The grid's columns: the name (a heading, not editable), the direction and the length.
constexpr int DirectionColumn = 1;
constexpr int MinLengthColumn = 2;
// What an edited cell keeps of the typed text: one letter, upper-cased, for the direction; two
// to four digits for the length; nothing when the text does not have that form (the cell keeps
// its value). Other columns take the text as it is.
std::optional<std::string> AcceptCellText(int column, std::string_view text);

} // namespace kestrune

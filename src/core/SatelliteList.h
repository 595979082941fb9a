#pragma once
// The stored satellite list ("SatList"): the comma text of the entries, each entry the comma
// text of name (blanks written "_"), direction and minimum length.

#include "ScheduleBuilder.h"

#include <string>
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

} // namespace kestrune

#pragma once
// The stored satellite list ("SatList"): the comma text of the entries, each entry the comma
// text of name (blanks written "_"), direction and minimum length.

#include "core/ScheduleBuilder.h"

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

// The satellites' own channels ("SatChannels", kept beside "SatList" so that a program that
// knows only "SatList" reads it unchanged): the comma text of one item per row with a channel,
// each item the comma text of the name (blanks written "_") and the digit, "METEOR-M2_3,5".
std::string SatChannelsFromRows(const std::vector<TSatelliteRow>& rows);
// Gives each row the channel the value holds for its name; other rows keep none. Items that are
// not a name and one digit are ignored.
void ApplySatChannels(std::vector<TSatelliteRow>& rows, const std::string& value);

// The channel a satellite is likely received on, for a new row: the Meteor-M satellites' LRPT
// downlinks as they are announced today (N2-3 on 137.9 MHz, channel 5; N2-4 on 137.1 MHz,
// channel 1); empty for any other name.
std::string LikelyChannel(std::string_view name);

// The grid's columns: the name (a heading, not editable), the direction, the length and the
// channel.
constexpr int DirectionColumn = 1;
constexpr int MinLengthColumn = 2;
constexpr int ChannelColumn = 3;
// What an edited cell keeps of the typed text: one letter, upper-cased, for the direction; two
// to four digits for the length; nothing or one digit for the channel; nothing when the text
// does not have that form (the cell keeps its value). Other columns take the text as it is.
std::optional<std::string> AcceptCellText(int column, std::string_view text);

} // namespace kestrune

#pragma once
// The stored satellite list ("SatList"): the comma text of the entries, each entry the comma
// text of name (blanks written "_"), direction and minimum length.

#include "core/ReceiverControl.h"
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
// each item the comma text of the name (blanks written "_") and the row's channel fields: a
// digit, "METEOR-M2_3,5", or a frequency in Hz with an optional rig-control mode and passband
// in Hz, "METEOR-M2_3,137900000,FM,120000". A row keeps those fields as its channel's comma
// text ("5", "137900000,FM,120000").
std::string SatChannelsFromRows(const std::vector<TSatelliteRow>& rows);
// Gives each row the channel the value holds for its name; other rows keep none. Returns the
// items that are neither a name and a digit nor a name and a frequency (with a mode and a
// passband that read), which are ignored.
std::vector<std::string> ApplySatChannels(std::vector<TSatelliteRow>& rows,
                                          const std::string& value);
// A row's channel as a frequency of its own: the frequency, and the mode (in capitals) and
// passband given, else FM 40 kHz for no mode and the rig's normal passband (0) for a mode
// without one; nothing for a digit, an empty channel or fields that do not read.
std::optional<TTuning> SatelliteTuning(std::string_view channel);

// The channel a satellite is likely received on, for a new row: the Meteor-M satellites' LRPT
// downlinks as they are announced today (N2-3 and N2-4 both on 137.900 MHz, FM 120 kHz wide
// for an SDR program); empty for any other name.
std::string LikelyChannel(std::string_view name);
// What the grid's channel column shows of a row's channel: the digit, or the frequency in MHz
// ("137.900").
std::string ChannelCellText(const std::string& channel);
// The row's channel after its cell was edited to `cellText` (as AcceptCellText keeps it): the
// stored channel when the cell still shows it, else the digit, or the frequency the cell shows
// in Hz (the receiver's default mode).
std::string ChannelFromCell(std::string_view cellText, const std::string& stored);

// The grid's columns: the name (a heading, not editable), the direction, the length and the
// channel.
constexpr int DirectionColumn = 1;
constexpr int MinLengthColumn = 2;
constexpr int ChannelColumn = 3;
// What an edited cell keeps of the typed text: one letter, upper-cased, for the direction; two
// to four digits for the length; nothing, one digit or a frequency in MHz ("137.9", kept as
// "137.900") for the channel; nothing when the text does not have that form (the cell keeps its
// value). Other columns take the text as it is.
std::optional<std::string> AcceptCellText(int column, std::string_view text);

} // namespace kestrune

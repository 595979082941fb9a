#pragma once
// Two-line element sets: the fields of the two lines, their checksums, and the text of a file
// in the three-line form (name line, line 1, line 2) or the bare two-line form.

#include "core/DateTime.h"
#include "qmrsatlib/Sgp4.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

struct TElementSet {
    // The name line without padding, "0 " prefix or status suffix; empty in the two-line form.
    std::string Name;
    int CatalogNumber = 0;
    TDateTime Epoch = 0.0;
    TMeanElements Elements;
};

constexpr std::size_t TleLineLength = 69;

// The modulo-10 sum of columns 1-68 (digits count their value, "-" counts 1) equals column 69.
bool HasValidChecksum(std::string_view line);

// The fields of lines 1 and 2 (each exactly 69 characters, checksums not looked at); nothing when
// a field is malformed, out of range, or the two lines name different satellites. Catalog
// numbers from 100000 on are read in the Alpha-5 form ("A0001").
std::optional<TElementSet> ParseElementLines(std::string_view line1, std::string_view line2);

// Every set in a file's text whose lines are complete, well formed and pass their checksums;
// anything else is skipped. Lines end in LF or CR LF.
std::vector<TElementSet> ReadElementSets(std::string_view text);
// The first line that is part of no valid set and why: "line 7: its checksum is wrong"; empty
// when every line that is not blank belongs to a set.
std::string FirstStrayLine(std::string_view text);
// Why a text of two- or three-line sets, whose sets are `sets`, is not a whole file of them;
// empty when it is one: at least one set, and every line that is not blank part of a complete,
// valid set.
std::string ElementLinesProblem(std::string_view text, const std::vector<TElementSet>& sets);

} // namespace kestrune

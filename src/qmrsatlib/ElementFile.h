#pragma once
// Element files in every form the component reads: two- and three-line sets, and orbit
// mean-element messages (OMM) as the element sources serve them: CSV with a header line of
// the field names, JSON (an array of objects with the same names) and the XML form of the
// message. Only the fields SGP4 needs are read (EPOCH, MEAN_MOTION, ECCENTRICITY, INCLINATION,
// RA_OF_ASC_NODE, ARG_OF_PERICENTER, MEAN_ANOMALY, NORAD_CAT_ID, BSTAR; OBJECT_NAME when there
// is one); the others are passed over. The readers are strict: text that is not of the form
// stops the file there, and a record with a field missing or out of range is left out.

#include "qmrsatlib/Tle.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

enum class TElementFormat { Lines, OmmCsv, OmmJson, OmmXml };

// The form of a file's text, from its first characters: "[" or "{" JSON, "<" XML, a first line
// that names OMM fields CSV; anything else is taken as two- or three-line sets.
TElementFormat DetectElementFormat(std::string_view text);
// "OMM JSON", for messages.
const char* ElementFormatName(TElementFormat format);

// The sets of an OMM text of the given form, and what kept a part of it from being read: the
// first fault, "line 7: ECCENTRICITY \"1.5\" is out of range" (empty when nothing did). A fault
// of the text's form ends the reading there; a record with a bad field is left out.
struct TOmmRead {
    std::vector<TElementSet> Sets;
    std::string Problem;
};
TOmmRead ReadOmm(std::string_view text, TElementFormat format);

// A file's sets whatever its form, and what kept a part of it from being read: "line 7: ..."
// (empty when nothing did).
struct TElementFile {
    TElementFormat Format = TElementFormat::Lines;
    std::vector<TElementSet> Sets;
    std::string Problem;
};
TElementFile ReadElementFile(std::string_view text);

// Why a text is not a whole file of element sets; empty when it is one: at least one set, and
// every record (every line that is not blank, for two- and three-line sets) part of a complete,
// valid set (a file cut short, or one with a damaged line, is not).
std::string ElementFileProblem(std::string_view text);

} // namespace kestrune

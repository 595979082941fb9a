#pragma once
// What a station operator should hear about the element sets of the satellites a prediction
// asks for: a name that no set of the folder carries (with the names that come close), and a
// set so old that its passes are no longer where it puts them.

#include "qmrsatlib/TleCatalog.h"

#include <string>
#include <vector>

namespace kestrune {

// Sets older than this at the start of a prediction are reported.
constexpr double MaxElementAgeDays = 14;

// One line per problem, in the order of the names: "no element set named NOAA 20 in /tle/;
// close names: NOAA 15, NOAA 18, NOAA 19" or "the element set of NOAA 19 is 22 days older than
// the start (epoch 20250528123318 UTC); fetch fresh element sets". Names are looked up as the
// orbit component looks them up.
std::vector<std::string> CheckElementSets(const TTleCatalog& catalog,
                                          const std::vector<std::string>& names,
                                          const std::string& folder, TDateTime start);

} // namespace kestrune

#pragma once
// The schedule for other programs, written beside Schedule.txt with each build: Schedule.json
// (each pass's satellite, AOS, time of closest approach and LOS in ISO 8601 UTC, highest
// elevation, azimuths at AOS and LOS, direction, length and frequency) and Schedule.ics (one
// calendar event per pass).

#include "core/DateTime.h"
#include "core/PassLine.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrune {

struct TScheduledPass {
    TPassLine Pass;
    // The highest point (taken as the closest approach) and the azimuths at AOS and LOS, when
    // the component could tell them.
    std::optional<TDateTime> Peak;
    std::optional<int> AosAzimuthDeg, LosAzimuthDeg;
    // The frequency the pass is received on; 0 when none (the receiver scans).
    long long FrequencyHz = 0;
};

// A JSON object: "created" (ISO 8601 UTC) and "passes", an array of objects with "satellite",
// "aos", "tca", "los", "max_elevation_deg", "aos_azimuth_deg", "los_azimuth_deg", "direction"
// ("northbound" or "southbound"), "length_s" and "frequency_hz"; null where a value is not known.
std::string ScheduleJson(const std::vector<TScheduledPass>& passes, TDateTime created);
// An iCalendar (RFC 5545) calendar of one event per pass, lines ended by CR LF and folded at 75
// bytes; each event's UID is made of the satellite and the AOS, so that a calendar that
// subscribes to the file updates the same events.
std::string ScheduleIcs(const std::vector<TScheduledPass>& passes, TDateTime created);

} // namespace kestrune

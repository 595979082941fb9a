#pragma once
// The command line of kestrune-predict.

#include "app/ProgramOptions.h"
#include "core/DateTime.h"
#include "core/ScheduleBuilder.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrune {

struct TPredictOptions {
    std::string TleDir;
    // The location as typed (a point as decimal separator); checked to be numbers in range.
    std::string Latitude, Longitude, Height;
    double MinElevationDeg = 2;
    int Days = 21;
    std::optional<TDateTime> Start; // now when not given
    std::vector<TSatelliteRow> Satellites;
    bool Raw = false;
    TPassPriority Priority = TPassPriority::FirstInList;
    std::string SchedulePath;
    bool Help = false;
    bool Version = false;
};

// A command line that cannot be used; the text says why in one line.
using EUsage = EProgramUsage;

// The arguments after the program's name. Without --sat the window's three default entries.
TPredictOptions ParsePredictOptions(const std::vector<std::string>& args);

extern const char* const PredictHelp;

} // namespace kestrune

#include "tools/PredictOptions.h"

#include "core/LocaleInfo.h"
#include "core/SatelliteList.h"
#include "core/Text.h"

#include <cmath>

namespace kestrune {

const char* const PredictHelp =
    R"(Usage: kestrune-predict --tle-dir DIR --lat DEG --lon DEG --height M
                        [--min-elevation DEG] [--days N] [--start YYYYMMDDhhmmss]
                        [--sat "NAME[,DIR[,MINLEN[,CHANNEL]]]"]... [--raw]
                        [--schedule FILE] [--pass-priority 0|1]

Predicts the passes of weather satellites over a station from the element files in
DIR (two- or three-line sets, or OMM as CelesTrak's CSV, JSON or XML), with the same orbit-prediction component and schedule builder as the
Kestrune window, and prints them as pass lines:

  yyyymmddhhnnss D MAXEL AZ LENGTH NAME

the UTC start (rise through the minimum elevation), the direction (N northbound,
S southbound), the highest elevation and the azimuth at that moment in whole
degrees, the length in seconds and the satellite's name.

Options:
  --tle-dir DIR          folder of element files (required)
  --lat DEG              station latitude, degrees north (required)
  --lon DEG              station longitude, degrees east (required)
  --height M             station height above the WGS-84 ellipsoid, metres (required)
  --min-elevation DEG    elevation a pass must reach to count, degrees (default 2)
  --days N               how many days to look ahead (default 21)
  --start YYYYMMDDhhmmss UTC moment the list starts at (default now)
  --sat "NAME[,DIR[,MINLEN[,CHANNEL]]]"
                         a satellite to schedule, in order of precedence; DIR is
                         N (northbound passes only), S (southbound only), B (both,
                         the default) or X (none); MINLEN the shortest pass in
                         seconds (default 330); CHANNEL the receiver channel (0 to
                         9) its passes are received on, shown in a "#" line before
                         the passes. Repeat for more satellites.
                         Without --sat: "NOAA 19,N,720" "NOAA 18,N,720" "NOAA 15,S,720".
  --raw                  print every pass the component finds for each --sat in turn,
                         with no direction filter, no overlap removal and no "now"
                         cut-off (minimum length 0 unless MINLEN is given)
  --schedule FILE        also write the schedule file (CR LF lines) to FILE
  --pass-priority 0|1    which of two overlapping passes stays: 0 the one of the
                         satellite given first (the default), 1 the higher one
  --help                 show this text
  --version              show the program's version

Every option also takes its value as --option=VALUE.

Without --raw the output is the merged pass list the window would show at the
start moment: passes that have not started yet, in time order, none overlapping
another (a satellite given earlier wins). Numbers take a point as decimal
separator. A warning goes to standard error when an element set used is more
than 14 days older than the start. Exit status: 0 on success, 1 when the
prediction fails, 2 for a bad command line.
)";

namespace {

double Number(const std::string& option, const std::string& text, double low, double high) {
    double value = 0;
    try {
        value = StrToFloat(text, TLocaleInfo{});
    } catch (const EConvertError&) {
        throw EUsage(option + ": '" + text + "' is not a number");
    }
    if (!std::isfinite(value) || value < low || value > high)
        throw EUsage(option + ": " + text + " is out of range (" + FloatToStr(low, {}) + " to " +
                     FloatToStr(high, {}) + ")");
    return value;
}

TDateTime CompactTime(const std::string& text) {
    const std::optional<TDateTime> time = ParseCompact(text);
    if (!time)
        throw EUsage("--start: '" + text + "' is not a UTC time as YYYYMMDDhhmmss");
    return *time;
}

TSatelliteRow SatelliteEntry(const std::string& text) {
    TSatelliteRow row;
    const std::size_t first = text.find(',');
    row.Name = std::string(Trim(text.substr(0, first)));
    row.Direction = "B";
    if (first != std::string::npos) {
        const std::size_t second = text.find(',', first + 1);
        row.Direction = std::string(Trim(text.substr(first + 1, second - first - 1)));
        if (second != std::string::npos) {
            const std::size_t third = text.find(',', second + 1);
            row.MinLength = std::string(Trim(text.substr(second + 1, third - second - 1)));
            if (third != std::string::npos)
                row.Channel = std::string(Trim(text.substr(third + 1)));
        }
    }
    if (row.Name.empty())
        throw EUsage("--sat: '" + text + "' has no satellite name");
    if (row.Direction.size() != 1 || std::string("NSBX").find(row.Direction) == std::string::npos)
        throw EUsage("--sat: '" + text + "': the direction must be N, S, B or X");
    if (!row.MinLength.empty() && !ParseInt(row.MinLength))
        throw EUsage("--sat: '" + text + "': the minimum length must be whole seconds");
    if (!AcceptCellText(ChannelColumn, row.Channel))
        throw EUsage("--sat: '" + text + "': the channel must be one digit, 0 to 9");
    return row;
}

} // namespace

TPredictOptions ParsePredictOptions(const std::vector<std::string>& args) {
    enum : int {
        TleDir = 256,
        Lat,
        Lon,
        Height,
        MinElevation,
        Days,
        Start,
        Sat,
        Raw,
        Schedule,
        PassPriority,
        Version
    };
    static const option longOptions[] = {
        {"tle-dir", required_argument, nullptr, TleDir},
        {"lat", required_argument, nullptr, Lat},
        {"lon", required_argument, nullptr, Lon},
        {"height", required_argument, nullptr, Height},
        {"min-elevation", required_argument, nullptr, MinElevation},
        {"days", required_argument, nullptr, Days},
        {"start", required_argument, nullptr, Start},
        {"sat", required_argument, nullptr, Sat},
        {"raw", no_argument, nullptr, Raw},
        {"schedule", required_argument, nullptr, Schedule},
        {"pass-priority", required_argument, nullptr, PassPriority},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, Version},
        {nullptr, 0, nullptr, 0},
    };
    // getopt_long wants the program's name first and writable strings.
    std::vector<std::string> words{"kestrune-predict"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    TPredictOptions options;
    bool haveLat = false, haveLon = false, haveHeight = false;
    ScanLongOptions(argc, argv.data(), longOptions, [&](int code, const std::string& value) {
        switch (code) {
        case 'h':
            options.Help = true;
            break;
        case Version:
            options.Version = true;
            break;
        case TleDir:
            options.TleDir = value;
            break;
        case Lat:
            options.Latitude = value;
            Number("--lat", value, -90, 90);
            haveLat = true;
            break;
        case Lon:
            options.Longitude = value;
            Number("--lon", value, -360, 360);
            haveLon = true;
            break;
        case Height:
            options.Height = value;
            Number("--height", value, -1000, 100000);
            haveHeight = true;
            break;
        case MinElevation:
            options.MinElevationDeg = Number("--min-elevation", value, -90, 90);
            break;
        case Days: {
            const auto days = ParseInt(value);
            if (!days || *days < 1 || *days > 366)
                throw EUsage("--days: '" + value + "' is not a whole number from 1 to 366");
            options.Days = *days;
            break;
        }
        case Start:
            options.Start = CompactTime(value);
            break;
        case Sat:
            options.Satellites.push_back(SatelliteEntry(value));
            break;
        case Raw:
            options.Raw = true;
            break;
        case Schedule:
            options.SchedulePath = value;
            break;
        case PassPriority:
            if (value != "0" && value != "1")
                throw EUsage("--pass-priority: '" + value + "' is neither 0 nor 1");
            options.Priority =
                value == "1" ? TPassPriority::HigherElevation : TPassPriority::FirstInList;
            break;
        }
    });
    if (options.Help || options.Version)
        return options;
    if (options.TleDir.empty())
        throw EUsage("--tle-dir is required (see --help)");
    if (!haveLat || !haveLon || !haveHeight)
        throw EUsage("--lat, --lon and --height are required (see --help)");
    if (options.Satellites.empty())
        options.Satellites = DefaultSatelliteRows();
    return options;
}

} // namespace kestrune

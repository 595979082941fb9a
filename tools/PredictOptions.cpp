#include "PredictOptions.h"

#include "LocaleInfo.h"
#include "Text.h"

#include <cmath>

namespace kestrune {

const char* const PredictHelp =
    R"(Usage: kestrune-predict --tle-dir DIR --lat DEG --lon DEG --height M
                        [--min-elevation DEG] [--days N] [--start YYYYMMDDhhmmss]
                        [--sat "NAME[,DIR[,MINLEN]]"]... [--raw] [--schedule FILE]

Predicts the passes of weather satellites over a station from the two-line element
files in DIR, with the same orbit-prediction component and schedule builder as the
Kestrune window, and prints them as pass lines:

  yyyymmddhhnnss D MAXEL AZ LENGTH NAME

the UTC start (rise through the minimum elevation), the direction (N northbound,
S southbound), the highest elevation and the azimuth at that moment in whole
degrees, the length in seconds and the satellite's name.

Options:
  --tle-dir DIR          folder of two- or three-line element files (required)
  --lat DEG              station latitude, degrees north (required)
  --lon DEG              station longitude, degrees east (required)
  --height M             station height above the WGS-84 ellipsoid, metres (required)
  --min-elevation DEG    elevation a pass must reach to count, degrees (default 2)
  --days N               how many days to look ahead (default 21)
  --start YYYYMMDDhhmmss UTC moment the list starts at (default now)
  --sat "NAME[,DIR[,MINLEN]]"
                         a satellite to schedule, in order of precedence; DIR is
                         N (northbound passes only), S (southbound only), B (both,
                         the default) or X (none); MINLEN the shortest pass in
                         seconds (default 330). Repeat for more satellites.
                         Without --sat: "NOAA 19,N,720" "NOAA 18,N,720" "NOAA 15,S,720".
  --raw                  print every pass the component finds for each --sat in turn,
                         with no direction filter, no overlap removal and no "now"
                         cut-off (minimum length 0 unless MINLEN is given)
  --schedule FILE        also write the schedule file (CR LF lines) to FILE
  --help                 show this text

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
        if (second != std::string::npos)
            row.MinLength = std::string(Trim(text.substr(second + 1)));
    }
    if (row.Name.empty())
        throw EUsage("--sat: '" + text + "' has no satellite name");
    if (row.Direction.size() != 1 || std::string("NSBX").find(row.Direction) == std::string::npos)
        throw EUsage("--sat: '" + text + "': the direction must be N, S, B or X");
    if (!row.MinLength.empty() && !ParseInt(row.MinLength))
        throw EUsage("--sat: '" + text + "': the minimum length must be whole seconds");
    return row;
}

} // namespace

TPredictOptions ParsePredictOptions(const std::vector<std::string>& args) {
    TPredictOptions options;
    bool haveLat = false, haveLon = false, haveHeight = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw EUsage(option + " needs a value");
            return args[++i];
        };
        if (option == "--help" || option == "-h") {
            options.Help = true;
        } else if (option == "--tle-dir") {
            options.TleDir = value();
        } else if (option == "--lat") {
            options.Latitude = value();
            Number(option, options.Latitude, -90, 90);
            haveLat = true;
        } else if (option == "--lon") {
            options.Longitude = value();
            Number(option, options.Longitude, -360, 360);
            haveLon = true;
        } else if (option == "--height") {
            options.Height = value();
            Number(option, options.Height, -1000, 100000);
            haveHeight = true;
        } else if (option == "--min-elevation") {
            options.MinElevationDeg = Number(option, value(), -90, 90);
        } else if (option == "--days") {
            const std::string& text = value();
            const auto days = ParseInt(text);
            if (!days || *days < 1 || *days > 366)
                throw EUsage("--days: '" + text + "' is not a whole number from 1 to 366");
            options.Days = *days;
        } else if (option == "--start") {
            options.Start = CompactTime(value());
        } else if (option == "--sat") {
            options.Satellites.push_back(SatelliteEntry(value()));
        } else if (option == "--raw") {
            options.Raw = true;
        } else if (option == "--schedule") {
            options.SchedulePath = value();
        } else {
            throw EUsage("unknown option '" + option + "' (see --help)");
        }
    }
    if (options.Help)
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

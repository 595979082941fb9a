#include "tools/Predict.h"

#include "core/CommaText.h"
#include "core/ScheduleBuilder.h"
#include "core/Text.h"
#include "tools/PredictOptions.h"

#include <filesystem>
#include <iostream>

namespace kestrune {

namespace {

class TFixedClock final : public IClock {
public:
    explicit TFixedClock(TDateTime now) : FNow(now) {}
    TDateTime UtcNow() const override { return FNow; }

private:
    TDateTime FNow;
};

// The window's controls as the command line filled them; nothing to show.
class TCommandLineView final : public IScheduleView {
public:
    explicit TCommandLineView(const TPredictOptions& options) : FOptions(options) {}
    std::vector<TSatelliteRow> SatelliteRows() const override { return FOptions.Satellites; }
    std::string LatitudeText() const override { return FOptions.Latitude; }
    std::string LongitudeText() const override { return FOptions.Longitude; }
    std::string HeightText() const override { return FOptions.Height; }
    double MinElevationDeg() const override { return FOptions.MinElevationDeg; }
    int DaysLookahead() const override { return FOptions.Days; }
    void SetStatusText(const std::string&) override {}
    void ShowBusyCursor() override {}
    void RestoreCursor() override {}
    void ShowTimerTab() override {}
    void EnableTimer() override {}

private:
    const TPredictOptions& FOptions;
};

void PrintRaw(TSatellites& satellites, const TPredictOptions& options, TDateTime start,
              const TLocaleInfo& locale) {
    satellites.SetLatitude(StrToFloat(options.Latitude, locale));
    satellites.SetLongitude(StrToFloat(options.Longitude, locale));
    satellites.SetHeight(StrToFloat(options.Height, locale));
    for (const TSatelliteRow& row : options.Satellites) {
        const int minLengthS = row.MinLength.empty() ? 0 : std::stoi(row.MinLength);
        for (const std::string& line : ReadCommaText(satellites.ComputePasses(
                 row.Name, start, minLengthS, options.Days, options.MinElevationDeg)))
            std::cout << line << '\n';
    }
}

void PrintPassList(TSatellites& satellites, const TPredictOptions& options, TDateTime start,
                   const TLocaleInfo& locale) {
    TCommandLineView view(options);
    TPassList passList;
    TScheduleList scheduleList;
    const TFixedClock clock(start);
    TScheduleBuilder builder(view, passList, scheduleList, clock, locale, options.SchedulePath,
                             nullptr);
    builder.SetSatellites(&satellites);
    builder.SetPassPriority(options.Priority);
    builder.BuildPassList();
    for (const TPassLine& pass : passList.Passes())
        std::cout << pass.Text << '\n';
}

// Names without an element set give no passes, and old sets give wrong ones: say so.
void WarnAboutElementSets(TSatellites& satellites, const TPredictOptions& options,
                          TDateTime start) {
    std::vector<std::string> names;
    for (const TSatelliteRow& row : options.Satellites)
        names.push_back(row.Name);
    for (const std::string& problem :
         CheckElementSets(satellites.ElementSets(), names, options.TleDir, start))
        std::cerr << "kestrune-predict: warning: " << problem << '\n';
}

int Run(const TPredictOptions& options, const TConnectSatellites& connect, const IClock& clock) {
    std::error_code error;
    if (!std::filesystem::is_directory(options.TleDir, error))
        throw std::runtime_error("no such folder: " + options.TleDir);
    auto satellites = connect();
    satellites->SetDataPath(Utf8FromPath(std::filesystem::absolute(PathFromUtf8(options.TleDir))) +
                            "/");
    const std::vector<std::string> fileProblems = satellites->FileProblems();
    if (!satellites->GetDataValid()) {
        std::string reasons;
        for (const std::string& problem : fileProblems)
            reasons += "\n  " + problem;
        throw std::runtime_error("no valid element sets in " + options.TleDir + reasons);
    }
    for (const std::string& problem : fileProblems)
        std::cerr << "kestrune-predict: warning: element file " << problem << '\n';

    // Numbers on the command line take a point, whatever the user's locale.
    const TLocaleInfo locale;
    const TDateTime start = options.Start.value_or(clock.UtcNow());
    WarnAboutElementSets(*satellites, options, start);
    for (const TSatelliteRow& row : options.Satellites) {
        if (!row.Channel.empty())
            std::cout << "# " << row.Name << " on channel " << row.Channel << '\n';
    }
    if (options.Raw)
        PrintRaw(*satellites, options, start, locale);
    else
        PrintPassList(*satellites, options, start, locale);
    satellites->SetDataPath("");
    return 0;
}

} // namespace

int PredictMain(const std::vector<std::string>& arguments, const TConnectSatellites& connect,
                const IClock& clock) {
    TPredictOptions options;
    try {
        options = ParsePredictOptions(arguments);
    } catch (const EUsage& error) {
        std::cerr << "kestrune-predict: " << error.what() << '\n';
        return 2;
    }
    if (options.Version) {
        std::cout << "kestrune-predict " << KESTRUNE_VERSION << '\n';
        return 0;
    }
    if (options.Help) {
        std::cout << PredictHelp;
        return 0;
    }
    try {
        return Run(options, connect, clock);
    } catch (const std::exception& error) {
        std::cerr << "kestrune-predict: " << error.what() << '\n';
        return 1;
    }
}

} // namespace kestrune

#include "core/ScheduleBuilder.h"

#include "core/CommaText.h"
#include "core/PassLine.h"
#include "core/ScheduleExport.h"
#include "core/Text.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace kestrune {

namespace {

// Keeps the hourglass up for as long as it lives.
class TBusyCursor {
public:
    explicit TBusyCursor(IScheduleView& view) : FView(view) { FView.ShowBusyCursor(); }
    ~TBusyCursor() { FView.RestoreCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    IScheduleView& FView;
};

class TPassListUpdate {
public:
    explicit TPassListUpdate(TPassList& list) : FList(list) { FList.BeginUpdate(); }
    ~TPassListUpdate() { FList.EndUpdate(); }
    TPassListUpdate(const TPassListUpdate&) = delete;
    TPassListUpdate& operator=(const TPassListUpdate&) = delete;

private:
    TPassList& FList;
};

// The component's answer to one name and minimum length, and the directions already merged.
struct TAnswer {
    std::vector<TPassLine> Passes;
    std::string Merged; // "N", "S", "B" as they were merged
};

} // namespace

std::vector<TSatelliteRow> DefaultSatelliteRows() {
    return {{"NOAA 19", "N", "720"}, {"NOAA 18", "N", "720"}, {"NOAA 15", "S", "720"}};
}

TScheduleBuilder::TScheduleBuilder(IScheduleView& view, TPassList& passList,
                                   TScheduleList& scheduleList, const IClock& clock,
                                   const TLocaleInfo& locale, std::filesystem::path schedulePath,
                                   std::function<void()> showNextPass)
    : FView(view), FPassList(passList), FScheduleList(scheduleList), FClock(clock), FLocale(locale),
      FSchedulePath(std::move(schedulePath)), FShowNextPass(std::move(showNextPass)) {}

TSatellites& TScheduleBuilder::Satellites() const {
    if (!FSatellites)
        throw ESatellites("The orbit-prediction component is not connected");
    return *FSatellites;
}

void TScheduleBuilder::BuildPassList() {
    TBusyCursor busy(FView);
    FView.ShowTimerTab();

    const std::vector<TSatelliteRow> rows = FView.SatelliteRows();
    if (rows.size() > MaxSatelliteRows)
        throw ESatelliteList("The satellite list has " + std::to_string(rows.size()) +
                             " rows, more than the " + std::to_string(MaxSatelliteRows) +
                             " a station can predict: shorten it (\"SatList\") and restart");

    // A text that is no number names its field, so that the operator knows which to mend.
    const auto number = [&](const std::string& text, const char* field) {
        try {
            return StrToFloat(text, FLocale);
        } catch (const EConvertError& error) {
            throw EConvertError(std::string(error.what()) + " (" + field +
                                " on the Setup tab: \"Obs" + field + "\")");
        }
    };
    const double latitudeDeg = number(FView.LatitudeText(), "Latitude");
    const double longitudeDeg = number(FView.LongitudeText(), "Longitude");
    const double heightM = number(FView.HeightText(), "Height");
    Satellites().SetLatitude(latitudeDeg);
    Satellites().SetLongitude(longitudeDeg);
    Satellites().SetHeight(heightM);

    FPassList.Clear();

    const TDateTime start = std::floor(FClock.UtcNow());
    const std::string nowText = FormatCompact(FClock.UtcNow());

    // A row that repeats an earlier one's name, minimum length and direction (or one that took
    // both directions) is not merged: a pass offered once is never added again, because it was
    // kept and would overlap itself, or it overlapped a neighbour that is still there.
    std::map<std::pair<std::string, int>, TAnswer> answers;
    // The passes offered, in the order they come, when the higher pass wins: each is added once
    // all are known, the highest first, so that a pass is dropped only for a higher one that stays.
    std::vector<TPassLine> offered;
    for (const TSatelliteRow& row : rows) {
        const std::string name = UpperCaseAscii(row.Name);
        FView.SetStatusText("  Computing passes for " + name + "...");
        const char direction = row.Direction.empty() ? '\0' : row.Direction.front();
        if (direction != 'B' && direction != 'N' && direction != 'S')
            continue;
        const int minLengthS = ParseInt(Trim(row.MinLength)).value_or(DefaultMinPassLengthS);

        const auto [at, isNew] = answers.try_emplace({name, minLengthS});
        TAnswer& answer = at->second;
        if (isNew)
            answer.Passes = PassesOf(name, start, minLengthS);
        else if (answer.Merged.find(direction) != std::string::npos ||
                 answer.Merged.find('B') != std::string::npos)
            continue;
        answer.Merged += direction;

        TPassListUpdate update(FPassList);
        for (const TPassLine& pass : answer.Passes) {
            if (pass.Text.substr(0, 14) < nowText)
                continue; // started before this second
            if (direction != 'B' && pass.Direction != direction)
                continue;
            if (FPriority == TPassPriority::HigherElevation)
                offered.push_back(pass);
            else
                AddPass(pass);
        }
    }
    if (!offered.empty()) {
        std::stable_sort(
            offered.begin(), offered.end(), [](const TPassLine& a, const TPassLine& b) {
                return a.MaxElevationDeg.value_or(-91) > b.MaxElevationDeg.value_or(-91);
            });
        TPassListUpdate update(FPassList);
        for (const TPassLine& pass : offered)
            AddPass(pass);
    }
    FView.SetStatusText("");

    FScheduleList.Assign(FPassList.Passes());
    if (!FSchedulePath.empty()) {
        FScheduleList.SaveToFile(FSchedulePath, FLocale);
        if (FExports.Warn)
            WriteExports();
    }
    if (FShowNextPass)
        FShowNextPass();
    FView.EnableTimer();
}

void TScheduleBuilder::WriteExports() {
    std::vector<TScheduledPass> passes;
    for (const TPassLine& pass : FScheduleList.Passes()) {
        TScheduledPass scheduled;
        scheduled.Pass = pass;
        // The component may know the satellite under the dashed name only (see PassesOf).
        for (const std::string& name : {pass.Satellite, ReplaceAll(pass.Satellite, " ", "-")}) {
            std::optional<TSatellites::TPassDetails> details;
            try {
                details = Satellites().DescribePass(name, pass.Start, FView.MinElevationDeg());
            } catch (const std::exception&) {
                // The schedule is written without what the component could not tell.
            }
            if (details) {
                scheduled.Peak = details->Peak;
                scheduled.AosAzimuthDeg = details->RiseAzimuthDeg;
                scheduled.LosAzimuthDeg = details->SetAzimuthDeg;
                break;
            }
        }
        if (FExports.FrequencyHz)
            scheduled.FrequencyHz = FExports.FrequencyHz(pass.Satellite);
        passes.push_back(std::move(scheduled));
    }
    const TDateTime now = FClock.UtcNow();
    for (const auto& [extension, text] :
         {std::pair<const char*, std::string>{".json", ScheduleJson(passes, now)},
          std::pair<const char*, std::string>{".ics", ScheduleIcs(passes, now)}}) {
        try {
            ReplaceFile(std::filesystem::path(FSchedulePath).replace_extension(extension), text);
        } catch (const EFileError& error) {
            FExports.Warn(std::string(error.what()) + "; the other schedule files are written");
        }
    }
}

std::vector<TPassLine> TScheduleBuilder::PassesOf(const std::string& name, TDateTime start,
                                                  int minLengthS) {
    auto compute = [&](const std::string& asName) {
        return ReadCommaText(Satellites().ComputePasses(
            asName, start, minLengthS, FView.DaysLookahead(), FView.MinElevationDeg()));
    };
    std::vector<std::string> lines = compute(name);
    if (lines.empty()) {
        // Element files often write the name with dashes ("NOAA-18"); the lines then carry the
        // name as the user wrote it.
        const std::string altName = ReplaceAll(name, " ", "-");
        lines = ReadCommaText(ReplaceAll(WriteCommaText(compute(altName)), altName, name));
    }
    std::vector<TPassLine> passes;
    passes.reserve(lines.size());
    for (std::string& line : lines)
        passes.push_back(ParsePassLine(std::move(line)));
    return passes;
}

bool TScheduleBuilder::AddPass(const TPassLine& pass) {
    const int index = FPassList.Add(pass);
    if (PassOverlapsNext(index - 1) || PassOverlapsNext(index)) {
        FPassList.Delete(index);
        return false;
    }
    return true;
}

bool TScheduleBuilder::PassOverlapsNext(int index) const {
    if (index < 0 || index + 1 >= FPassList.Count())
        return false;
    return ToMilliseconds(FPassList.Pass(index).End()) >=
           ToMilliseconds(FPassList.Pass(index + 1).Start);
}

} // namespace kestrune

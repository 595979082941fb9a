#pragma once
// Turns the user's satellite list into the pass list: asks the orbit-prediction component for
// each satellite's coming passes, keeps those not yet started that go the wanted way, merges
// them so that no two overlap (the first one in stays) and writes the schedule file.

#include "core/DateTime.h"
#include "core/LocaleInfo.h"
#include "core/PassList.h"
#include "core/Satellites.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrune {

// One row of the satellite grid, as the texts of its three cells.
struct TSatelliteRow {
    std::string Name;
    std::string Direction; // "N", "S", "B" (both) or "X" (none)
    std::string MinLength; // seconds
    // The channel selector's channel for the satellite's passes ("0" to "9"); empty for the
    // built-in channel or none.
    std::string Channel{};
    bool operator==(const TSatelliteRow&) const = default;
};

// What the build reads from and does to the window.
class IScheduleView {
public:
    virtual ~IScheduleView() = default;
    // The grid's rows below its heading, in order.
    virtual std::vector<TSatelliteRow> SatelliteRows() const = 0;
    virtual std::string LatitudeText() const = 0;
    virtual std::string LongitudeText() const = 0;
    virtual std::string HeightText() const = 0;
    virtual double MinElevationDeg() const = 0;
    virtual int DaysLookahead() const = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // Shows the hourglass, remembering the cursor it replaces; RestoreCursor puts that back.
    virtual void ShowBusyCursor() = 0;
    virtual void RestoreCursor() = 0;
    virtual void ShowTimerTab() = 0;
    virtual void EnableTimer() = 0;
};

// The satellites a new station starts with, in order of precedence.
std::vector<TSatelliteRow> DefaultSatelliteRows();

// Used when a minimum-length cell holds no whole number.
constexpr int DefaultMinPassLengthS = 330;
// Far beyond any station's list: a longer one is refused rather than predicted for minutes.
constexpr std::size_t MaxSatelliteRows = 1000;

// Which of two overlapping passes the pass list keeps ("PassPriority").
enum class TPassPriority {
    // The one that came in first: the satellite higher in the list, within one satellite the
    // component's order.
    FirstInList = 0,
    // The one with the higher maximum elevation (a pass line without one counts lowest); on equal
    // elevations, the one that came in first.
    HigherElevation = 1,
};

// Schedule.json and Schedule.ics, written beside the schedule file: the frequency of each
// satellite's passes (0: none), and whom to tell when they cannot be written (the build goes on).
struct TScheduleExports {
    std::function<long long(const std::string& satellite)> FrequencyHz;
    std::function<void(const std::string& text)> Warn;
};

// The satellite list cannot be predicted.
class ESatelliteList : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TScheduleBuilder {
public:
    // An empty schedule path writes no schedule file (the command-line predictor's default).
    TScheduleBuilder(IScheduleView& view, TPassList& passList, TScheduleList& scheduleList,
                     const IClock& clock, const TLocaleInfo& locale,
                     std::filesystem::path schedulePath, std::function<void()> showNextPass);

    // The component to ask; none until the program has connected one.
    void SetSatellites(TSatellites* satellites) { FSatellites = satellites; }
    // The overlap rule of the next builds; FirstInList until the program says otherwise.
    void SetPassPriority(TPassPriority priority) { FPriority = priority; }
    // Writes the schedule for other programs too (with a schedule path); not until the program
    // says.
    void SetExports(TScheduleExports exports) { FExports = std::move(exports); }

    // Rebuilds the pass list and the schedule file. A failure throws and leaves the pass list
    // with what was added so far, the file unwritten and the timer disabled; a list of more
    // than MaxSatelliteRows rows throws ESatelliteList before anything is done. The component
    // is asked once for each name and minimum length, however often the list repeats them.
    void BuildPassList();
    // Inserts the pass unless it overlaps a neighbour; whether it was kept.
    bool AddPass(const TPassLine& pass);
    // Whether the pass at `index` lasts until (or past) the start of the one after it.
    bool PassOverlapsNext(int index) const;

private:
    TSatellites& Satellites() const;
    std::vector<TPassLine> PassesOf(const std::string& name, TDateTime start, int minLengthS);
    void WriteExports();

    IScheduleView& FView;
    TPassList& FPassList;
    TScheduleList& FScheduleList;
    const IClock& FClock;
    const TLocaleInfo& FLocale;
    std::filesystem::path FSchedulePath;
    std::function<void()> FShowNextPass;
    TSatellites* FSatellites = nullptr;
    TPassPriority FPriority = TPassPriority::FirstInList;
    TScheduleExports FExports;
};

} // namespace kestrune

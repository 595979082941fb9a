// Pass-list builds with the real component reading the bundled element sets: the default three
// satellites over 21 days, as the window does it at every restart, with and without the schedule
// files (Schedule.txt, and Schedule.json and Schedule.ics with the component's pass details), and
// long satellite lists made of the same few rows over and over.
#include "core/ScheduleBuilder.h"
#include "qmrsatlib/QmrSatellites.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace kestrune {
namespace {

class TFixedClock final : public IClock {
public:
    TDateTime UtcNow() const override { return EncodeDateTime(2025, 5, 28, 12); }
};

class TQuietView final : public IScheduleView {
public:
    std::vector<TSatelliteRow> Rows = DefaultSatelliteRows();
    std::vector<TSatelliteRow> SatelliteRows() const override { return Rows; }
    std::string LatitudeText() const override { return "55.9"; }
    std::string LongitudeText() const override { return "-3.2"; }
    std::string HeightText() const override { return "180"; }
    double MinElevationDeg() const override { return 2; }
    int DaysLookahead() const override { return 21; }
    void SetStatusText(const std::string&) override {}
    void ShowBusyCursor() override {}
    void RestoreCursor() override {}
    void ShowTimerTab() override {}
    void EnableTimer() override {}
};

void Build(benchmark::State& state, TQuietView view, const std::filesystem::path& schedule = {}) {
    TSatellites satellites(new TQmrSatellites, nullptr);
    satellites.SetDataPath(SAMPLE_TLE_DIR);
    TPassList passList;
    TScheduleList scheduleList;
    TFixedClock clock;
    TLocaleInfo locale;
    TScheduleBuilder builder(view, passList, scheduleList, clock, locale, schedule, nullptr);
    builder.SetSatellites(&satellites);
    if (!schedule.empty())
        builder.SetExports({[](const std::string&) { return 137'100'000LL; },
                            [](const std::string& text) { throw std::runtime_error(text); }});
    for (auto _ : state) {
        builder.BuildPassList();
        benchmark::DoNotOptimize(passList.Count());
    }
    state.counters["passes"] = passList.Count();
}

void BuildPassListDefault21Days(benchmark::State& state) {
    Build(state, TQuietView());
}
BENCHMARK(BuildPassListDefault21Days)->Unit(benchmark::kMillisecond);

void BuildPassListDefault21DaysWithScheduleFiles(benchmark::State& state) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kestrune-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    Build(state, TQuietView(), folder / "Schedule.txt");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BuildPassListDefault21DaysWithScheduleFiles)->Unit(benchmark::kMillisecond);

// The default rows, a copy of one with another minimum length and one with another direction,
// repeated until the list has the given number of rows.
void BuildPassListRepeatedRows(benchmark::State& state) {
    const std::vector<TSatelliteRow> pattern{{"NOAA 19", "N", "720"},
                                             {"NOAA 18", "N", "720"},
                                             {"NOAA 15", "S", "720"},
                                             {"noaa 19", "B", "600"},
                                             {"NOAA 18", "S", "720"}};
    TQuietView view;
    view.Rows.clear();
    for (int i = 0; i < state.range(0); ++i)
        view.Rows.push_back(pattern[static_cast<std::size_t>(i) % pattern.size()]);
    Build(state, view);
}
// A longer list is refused (MaxSatelliteRows).
BENCHMARK(BuildPassListRepeatedRows)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kestrune

BENCHMARK_MAIN();

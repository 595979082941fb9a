// One pass-list build of the default three satellites over 21 days, with the real component
// reading the bundled element sets, as the window does it at every restart.
#include "core/ScheduleBuilder.h"
#include "qmrsatlib/QmrSatellites.h"

#include <benchmark/benchmark.h>

namespace kestrune {
namespace {

class TFixedClock final : public IClock {
public:
    TDateTime UtcNow() const override { return EncodeDateTime(2025, 5, 28, 12); }
};

class TQuietView final : public IScheduleView {
public:
    std::vector<TSatelliteRow> SatelliteRows() const override { return DefaultSatelliteRows(); }
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

void BuildPassListDefault21Days(benchmark::State& state) {
    TSatellites satellites(new TQmrSatellites, nullptr);
    satellites.SetDataPath(SAMPLE_TLE_DIR);
    TQuietView view;
    TPassList passList;
    TScheduleList scheduleList;
    TFixedClock clock;
    TLocaleInfo locale;
    TScheduleBuilder builder(view, passList, scheduleList, clock, locale, "", nullptr);
    builder.SetSatellites(&satellites);
    for (auto _ : state) {
        builder.BuildPassList();
        benchmark::DoNotOptimize(passList.Count());
    }
    state.counters["passes"] = passList.Count();
}
BENCHMARK(BuildPassListDefault21Days)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kestrune

BENCHMARK_MAIN();

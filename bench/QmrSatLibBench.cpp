// The orbit component's costs: every satellite of the weather file over 28 days, NOAA 15/18/19
// over 21 days, one propagation, and the propagations that one satellite-day of searching takes.
#include "qmrsatlib/PassFinder.h"
#include "qmrsatlib/QmrSatellites.h"
#include "qmrsatlib/TleCatalog.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace kestrune;

const TDateTime Start = EncodeDateTime(2025, 5, 28);

std::string WeatherText() {
    std::ifstream in(std::string(KESTRUNE_BENCH_DATA) + "/tle/weather.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A data folder holding only the weather file, for the life of the program.
class TWeatherFolder {
public:
    TWeatherFolder() {
        std::random_device random;
        FPath =
            std::filesystem::temp_directory_path() / ("kestrune-bench-" + std::to_string(random()));
        std::filesystem::create_directories(FPath);
        std::ofstream(FPath / "weather.txt", std::ios::binary) << WeatherText();
    }
    ~TWeatherFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    std::string Path() const { return FPath.string(); }

private:
    std::filesystem::path FPath;
};

const TWeatherFolder& Folder() {
    static const TWeatherFolder folder;
    return folder;
}

std::vector<std::string> WeatherNames() {
    std::vector<std::string> names;
    for (const auto& set : ReadElementSets(WeatherText()))
        names.push_back(set.Name);
    return names;
}

// The component at Edinburgh on the weather folder.
ISatellites* NewComponent() {
    void* object = nullptr;
    CreateSatellitesInstance(&ClsidSatellites, &IidSatellites, &object);
    auto* satellites = static_cast<ISatellites*>(object);
    satellites->SetDataPath(Folder().Path());
    satellites->SetLatitude(55.9);
    satellites->SetLongitude(-3.2);
    satellites->SetHeight(180.0);
    return satellites;
}

void RunComputePasses(benchmark::State& state, const std::vector<std::string>& names, int days) {
    ISatellites* satellites = NewComponent();
    std::size_t passes = 0;
    for (auto _ : state) {
        passes = 0;
        for (const auto& name : names) {
            std::string text;
            satellites->ComputePasses(name, Start, 0, days, 2.0, text);
            passes += static_cast<std::size_t>(std::count(text.begin(), text.end(), ',')) +
                      (text.empty() ? 0 : 1);
            benchmark::DoNotOptimize(text);
        }
    }
    state.counters["satellites"] = static_cast<double>(names.size());
    state.counters["passes"] = static_cast<double>(passes);
    satellites->Release();
}

void BM_ComputePassesWeather28Days(benchmark::State& state) {
    RunComputePasses(state, WeatherNames(), 28);
}
BENCHMARK(BM_ComputePassesWeather28Days)->Unit(benchmark::kMillisecond);

void BM_ComputePassesNoaa21Days(benchmark::State& state) {
    RunComputePasses(state, {"NOAA 19", "NOAA 18", "NOAA 15"}, 21);
}
BENCHMARK(BM_ComputePassesNoaa21Days)->Unit(benchmark::kMillisecond);

// One propagation of a near-earth (NOAA 19) and a deep-space (METEOSAT-11) orbit.
void BM_Propagate(benchmark::State& state, const char* name) {
    TTleCatalog catalog;
    catalog.AddText(WeatherText());
    TSgp4 sgp4(catalog.Find(name)->Elements);
    TStateVector vector;
    double minutes = 0.0;
    for (auto _ : state) {
        minutes += 0.37;
        benchmark::DoNotOptimize(sgp4.Propagate(minutes, vector));
        benchmark::DoNotOptimize(vector);
    }
}
BENCHMARK_CAPTURE(BM_Propagate, NearEarth, "NOAA 19")->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_Propagate, DeepSpace, "METEOSAT-11 (MSG-4)")->Unit(benchmark::kNanosecond);

// Propagations per satellite-day of pass search, counted by the propagator: all satellites of
// the weather file, and the low orbiters (more than 10 revolutions a day) alone.
void BM_PropagationsPerSatelliteDay(benchmark::State& state) {
    TTleCatalog catalog;
    catalog.AddText(WeatherText());
    const TObserver observer(55.9, -3.2, 180.0);
    constexpr int Days = 28;
    std::uint64_t all = 0, low = 0;
    int satellites = 0, lowSatellites = 0;
    for (auto _ : state) {
        all = low = 0;
        satellites = lowSatellites = 0;
        for (const auto& name : WeatherNames()) {
            TSgp4 sgp4(catalog.Find(name)->Elements);
            TPassFinder finder(sgp4, observer, 2.0);
            benchmark::DoNotOptimize(finder.Find(Start, Start + Days));
            all += sgp4.PropagationCount();
            ++satellites;
            if (!sgp4.IsDeepSpace()) {
                low += sgp4.PropagationCount();
                ++lowSatellites;
            }
        }
    }
    state.counters["per_sat_day"] = static_cast<double>(all) / (satellites * Days);
    state.counters["per_low_sat_day"] = static_cast<double>(low) / (lowSatellites * Days);
}
BENCHMARK(BM_PropagationsPerSatelliteDay)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

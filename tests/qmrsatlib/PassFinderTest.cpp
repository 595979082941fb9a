// The pass search against a plain scan: elevations every 10 s, crossings refined by bisection.
// Stations from the equator to high latitudes; low, low-inclination, Molniya-type and
// geostationary orbits; two thresholds.
#include "qmrsatlib/PassFinder.h"

#include "qmrsatlib/TleCatalog.h"
#include "support/TempDir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kestrune {
namespace {

constexpr double JulianOfZeroDateTime = 2415018.5;
constexpr double ScanStepMin = 10.0 / 60.0;
// Passes that peak this close to the threshold may be missed by either side.
constexpr double GrazingDeg = 0.2;

struct TScanPass {
    double RiseMin, SetMin, PeakDeg;
};

class TScan {
public:
    TScan(const TElementSet& set, const TObserver& observer)
        : FSgp4(set.Elements), FObserver(observer),
          FEpoch(set.Elements.EpochJulian - JulianOfZeroDateTime) {}

    double Minutes(TDateTime time) const { return (time - FEpoch) * 1440.0; }

    double Elevation(double minutes) {
        TStateVector state;
        EXPECT_EQ(FSgp4.Propagate(minutes, state), TSgp4Error::None);
        const TVector3 teme{state.PositionKm[0], state.PositionKm[1], state.PositionKm[2]};
        const double gmst = GreenwichSiderealTime(FSgp4.EpochJulian() + minutes / 1440.0);
        return FObserver.Look(TemeToEarthFixed(teme, TEarthTurn(gmst)), {}).ElevationDeg();
    }

    // Passes rising in [fromMin, toMin), each followed to its set; one under way at fromMin is
    // left out.
    std::vector<TScanPass> Passes(double fromMin, double toMin, double thresholdDeg) {
        std::vector<TScanPass> passes;
        bool up = Elevation(fromMin) >= thresholdDeg;
        bool counting = false;
        double riseMin = 0.0, peakDeg = 0.0;
        for (double t = fromMin; t < toMin + 1440.0 && (up || t < toMin); t += ScanStepMin) {
            const double elevation = Elevation(t + ScanStepMin);
            if (!up && elevation >= thresholdDeg) {
                riseMin = Bisect(t, t + ScanStepMin, thresholdDeg);
                if (riseMin >= toMin)
                    break;
                up = counting = true;
                peakDeg = elevation;
            } else if (up && elevation < thresholdDeg) {
                if (counting)
                    passes.push_back({riseMin, Bisect(t, t + ScanStepMin, thresholdDeg), peakDeg});
                up = counting = false;
            } else if (up) {
                peakDeg = std::max(peakDeg, elevation);
            }
        }
        return passes;
    }

private:
    double Bisect(double a, double b, double thresholdDeg) {
        const bool risingAtA = Elevation(a) < thresholdDeg;
        while (b - a > 1e-5) {
            const double middle = 0.5 * (a + b);
            ((Elevation(middle) < thresholdDeg) == risingAtA ? a : b) = middle;
        }
        return 0.5 * (a + b);
    }

    TSgp4 FSgp4;
    const TObserver& FObserver;
    TDateTime FEpoch;
};

TEST(PassFinder, AgreesWithAPlainScan) {
    TTleCatalog catalog;
    catalog.AddText(test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/tle/weather.txt"));
    const TDateTime from = EncodeDateTime(2025, 5, 28, 6, 30);
    const TDateTime to = from + 2.0;
    struct TStation {
        const char* Name;
        double LatitudeDeg, LongitudeDeg, HeightM;
    };
    const TStation stations[] = {{"Edinburgh", 55.9, -3.2, 180.0},
                                 {"equator", 0.0, 100.0, 0.0},
                                 {"Svalbard", 78.2, 15.4, 500.0},
                                 {"McMurdo", -77.8, 166.7, 20.0}};
    const char* satellites[] = {"NOAA 19", "CYGFM05", "ARKTIKA-M 1", "GOES 16", "METEOR-M2 3"};
    int compared = 0;
    for (const auto& station : stations) {
        const TObserver observer(station.LatitudeDeg, station.LongitudeDeg, station.HeightM);
        for (const char* name : satellites) {
            const TElementSet* set = catalog.Find(name);
            ASSERT_NE(set, nullptr) << name;
            TScan scan(*set, observer);
            for (const double thresholdDeg : {0.0, 10.0}) {
                SCOPED_TRACE(std::string(station.Name) + " " + name + " above " +
                             std::to_string(thresholdDeg));
                const auto expected =
                    scan.Passes(scan.Minutes(from), scan.Minutes(to), thresholdDeg);
                TSgp4 sgp4(set->Elements);
                TPassFinder finder(sgp4, observer, thresholdDeg);
                const auto found = finder.Find(from, to);
                std::vector<bool> used(found.size(), false);
                for (const auto& want : expected) {
                    bool hit = false;
                    for (std::size_t i = 0; i < found.size() && !hit; ++i) {
                        const double riseErrorS =
                            (scan.Minutes(found[i].Rise) - want.RiseMin) * 60.0;
                        if (used[i] || std::fabs(riseErrorS) > 30.0)
                            continue;
                        used[i] = hit = true;
                        ++compared;
                        EXPECT_NEAR(riseErrorS, 0.0, 0.05);
                        EXPECT_NEAR((scan.Minutes(found[i].Set) - want.SetMin) * 60.0, 0.0, 0.05);
                        // The scan's peak is a sample, never above the true one.
                        EXPECT_GE(found[i].PeakElevationDeg, want.PeakDeg - 1e-6);
                    }
                    if (!hit) {
                        EXPECT_LT(want.PeakDeg, thresholdDeg + GrazingDeg)
                            << "missed the pass rising at minute " << want.RiseMin;
                    }
                }
                for (std::size_t i = 0; i < found.size(); ++i) {
                    if (!used[i]) {
                        EXPECT_LT(found[i].PeakElevationDeg, thresholdDeg + GrazingDeg)
                            << "extra pass rising at minute " << scan.Minutes(found[i].Rise);
                    }
                }
            }
        }
    }
    EXPECT_GT(compared, 100);
}

TEST(PassFinder, ElementsFarFromTheirEpochStillGiveSoundPasses) {
    // Found by the fuzzer: epoch 2052, a drag term of 0.17, propagated 27 years back. SGP4 still
    // answers, but with motion that is no orbit; a pass must still peak above its threshold.
    const auto set =
        ParseElementLines("1 04793U 70106A  352 21.17170424 -.00000016  00000+0  16764-0  3 9990",
                          "2 04793 101.3704   0.2754 0031659  42.2669 12.55310 12.54046814514161");
    ASSERT_TRUE(set);
    TSgp4 sgp4(set->Elements);
    const TObserver observer(55.9, -3.2, 180.0);
    TPassFinder finder(sgp4, observer, 0.0);
    const TDateTime from = EncodeDateTime(2025, 5, 28);
    const auto passes = finder.Find(from, from + 2.0);
    ASSERT_FALSE(passes.empty());
    for (const auto& pass : passes) {
        EXPECT_GE(pass.PeakElevationDeg, 0.0);
        EXPECT_GE(pass.Peak, pass.Rise);
        EXPECT_LE(pass.Peak, pass.Set);
    }
}

} // namespace
} // namespace kestrune

// The passes against an independent predictor (Skyfield on python-sgp4): same element sets,
// 2 degree threshold, Edinburgh and Sydney, three days.
#include "core/CommaText.h"
#include "core/DateTime.h"
#include "qmrsatlib/PassFinder.h"
#include "qmrsatlib/QmrSatellites.h"
#include "qmrsatlib/TleCatalog.h"
#include "support/TempDir.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kestrune {
namespace {

struct TReferencePass {
    std::string Location;
    double LatitudeDeg, LongitudeDeg, HeightM;
    std::string Satellite;
    double MaxElevationDeg;
    bool Northbound;
    bool LatitudeTurns;
    double AosUnix, TcaUnix, LosUnix;
};

std::vector<TReferencePass> ReadReference() {
    std::ifstream in(std::string(KESTRUNE_TEST_DATA) + "/passes/reference-skyfield-2deg.csv");
    std::vector<TReferencePass> passes;
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            f.push_back(field);
        if (f.size() != 21)
            continue;
        passes.push_back({f[0], std::stod(f[1]), std::stod(f[2]), std::stod(f[3]), f[5],
                          std::stod(f[11]), f[14] == "northbound", f[17] == "1", std::stod(f[18]),
                          std::stod(f[19]), std::stod(f[20])});
    }
    return passes;
}

const TDateTime WindowStart = EncodeDateTime(2025, 5, 28);
constexpr int WindowDays = 3;
constexpr double ThresholdDeg = 2.0;
// Passes peaking this close to the threshold may be found or missed by either side.
constexpr double GrazingDeg = 0.2;

std::string WeatherFile() {
    return test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/tle/weather.txt");
}

TEST(PassAccuracy, FinderMatchesTheReferenceToAFractionOfASecond) {
    const auto reference = ReadReference();
    ASSERT_EQ(reference.size(), 131u);
    TTleCatalog catalog;
    catalog.AddText(WeatherFile());

    // Group the reference by station and satellite.
    std::map<std::pair<std::string, std::string>, std::vector<TReferencePass>> groups;
    for (const auto& pass : reference)
        groups[{pass.Location, pass.Satellite}].push_back(pass);
    ASSERT_EQ(groups.size(), 6u);

    double maxRiseErrorS = 0.0, maxSetErrorS = 0.0, maxPeakErrorDeg = 0.0, maxTcaErrorS = 0.0;
    int matched = 0, missedGrazing = 0, extraGrazing = 0;
    for (const auto& [key, expected] : groups) {
        SCOPED_TRACE(key.first + " " + key.second);
        const TElementSet* set = catalog.Find(key.second);
        ASSERT_NE(set, nullptr);
        TSgp4 sgp4(set->Elements);
        const TObserver observer(expected[0].LatitudeDeg, expected[0].LongitudeDeg,
                                 expected[0].HeightM);
        TPassFinder finder(sgp4, observer, ThresholdDeg);
        const auto found = finder.Find(WindowStart, WindowStart + WindowDays);
        std::vector<bool> used(found.size(), false);
        for (const auto& want : expected) {
            bool hit = false;
            for (std::size_t i = 0; i < found.size(); ++i) {
                const double riseErrorS = ToUnixSeconds(found[i].Rise) - want.AosUnix;
                if (used[i] || std::fabs(riseErrorS) > 60.0)
                    continue;
                used[i] = hit = true;
                ++matched;
                const double setErrorS = ToUnixSeconds(found[i].Set) - want.LosUnix;
                const double tcaErrorS = ToUnixSeconds(found[i].Peak) - want.TcaUnix;
                maxTcaErrorS = std::max(maxTcaErrorS, std::fabs(tcaErrorS));
                // The elevation is flat at its peak: its time is the least sharp figure.
                EXPECT_LT(std::fabs(tcaErrorS), 1.0) << want.AosUnix;
                maxRiseErrorS = std::max(maxRiseErrorS, std::fabs(riseErrorS));
                maxSetErrorS = std::max(maxSetErrorS, std::fabs(setErrorS));
                maxPeakErrorDeg = std::max(
                    maxPeakErrorDeg, std::fabs(found[i].PeakElevationDeg - want.MaxElevationDeg));
                // Both sides solve the crossings finely: far inside the 1 s the task allows.
                EXPECT_LT(std::fabs(riseErrorS), 0.1) << want.AosUnix;
                EXPECT_LT(std::fabs(setErrorS), 0.1) << want.AosUnix;
                if (!want.LatitudeTurns) {
                    EXPECT_EQ(found[i].Northbound, want.Northbound) << want.AosUnix;
                }
            }
            if (!hit) {
                EXPECT_LT(want.MaxElevationDeg, ThresholdDeg + GrazingDeg)
                    << "missed " << want.AosUnix;
                ++missedGrazing;
            }
        }
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (!used[i]) {
                EXPECT_LT(found[i].PeakElevationDeg, ThresholdDeg + GrazingDeg)
                    << "extra " << ToUnixSeconds(found[i].Rise);
                ++extraGrazing;
            }
        }
    }
    std::printf("matched %d of %zu, missed grazing %d, extra grazing %d; max |rise error| %.4f s, "
                "max |set error| %.4f s, max |peak error| %.4f deg, max |peak time error| %.3f s\n",
                matched, reference.size(), missedGrazing, extraGrazing, maxRiseErrorS, maxSetErrorS,
                maxPeakErrorDeg, maxTcaErrorS);
}

TEST(PassAccuracy, ComponentPassLinesAgreeWithTheReference) {
    const auto reference = ReadReference();
    test::TTempDir folder;
    folder.Write("weather.txt", WeatherFile());
    void* object = nullptr;
    ASSERT_EQ(CreateSatellitesInstance(&ClsidSatellites, &IidSatellites, &object), SOk);
    auto* satellites = static_cast<ISatellites*>(object);
    ASSERT_EQ(satellites->SetDataPath(folder.Path().string()), SOk);

    for (const char* location : {"edinburgh", "sydney"}) {
        for (const char* name : {"NOAA 15", "NOAA 18", "NOAA 19"}) {
            SCOPED_TRACE(std::string(location) + " " + name);
            std::vector<TReferencePass> expected;
            for (const auto& pass : reference) {
                if (pass.Location == location && pass.Satellite == name)
                    expected.push_back(pass);
            }
            ASSERT_FALSE(expected.empty());
            ASSERT_EQ(satellites->SetLatitude(expected[0].LatitudeDeg), SOk);
            ASSERT_EQ(satellites->SetLongitude(expected[0].LongitudeDeg), SOk);
            ASSERT_EQ(satellites->SetHeight(expected[0].HeightM), SOk);
            std::string text;
            ASSERT_EQ(
                satellites->ComputePasses(name, WindowStart, 0, WindowDays, ThresholdDeg, text),
                SOk);
            const auto lines = ReadCommaText(text);
            std::size_t grazing = 0;
            for (const auto& want : expected) {
                int hits = 0;
                for (const auto& line : lines) {
                    // Rounded rises may differ by one second.
                    const TDateTime rise = EncodeDateTime(
                        std::stoi(line.substr(0, 4)), std::stoi(line.substr(4, 2)),
                        std::stoi(line.substr(6, 2)), std::stoi(line.substr(8, 2)),
                        std::stoi(line.substr(10, 2)), std::stoi(line.substr(12, 2)));
                    if (std::fabs(ToUnixSeconds(rise) - want.AosUnix) > 1.0)
                        continue;
                    ++hits;
                    std::istringstream words(line);
                    std::string start, direction;
                    int elevationDeg = 0, azimuthDeg = 0, lengthS = 0;
                    words >> start >> direction >> elevationDeg >> azimuthDeg >> lengthS;
                    EXPECT_NEAR(lengthS, want.LosUnix - want.AosUnix, 2.0) << line;
                    EXPECT_NEAR(elevationDeg, want.MaxElevationDeg, 0.51) << line;
                    if (!want.LatitudeTurns) {
                        EXPECT_EQ(direction, want.Northbound ? "N" : "S") << line;
                    }
                    EXPECT_EQ(line.substr(line.size() - std::string(name).size() - 1),
                              std::string(" ") + name);
                }
                if (want.MaxElevationDeg < ThresholdDeg + GrazingDeg)
                    ++grazing;
                else
                    EXPECT_EQ(hits, 1) << want.AosUnix;
            }
            EXPECT_LE(lines.size(), expected.size() + grazing);
            EXPECT_GE(lines.size(), expected.size() - grazing);
        }
    }
    satellites->Release();
}

} // namespace
} // namespace kestrune

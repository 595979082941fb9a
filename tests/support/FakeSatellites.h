#pragma once

#include "core/Satellites.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrune::test {

// An orbit-prediction component that answers from a table of names and records every call.
class TFakeSatellites final : public ISatellites {
public:
    struct TCall {
        std::string Name;
        double Start;
        std::int32_t MinLengthS;
        std::int32_t Days;
        double MinElevationDeg;
    };

    // The comma text ComputePasses gives for the name; unknown names give the empty text.
    std::map<std::string, std::string> Passes;
    // A failure code for the named method instead of its work.
    std::map<std::string, HResult> Failures;
    std::vector<TCall> Calls;
    std::vector<std::string> Log; // method names in call order
    // What GetElementSets gives, and what CheckElementText says of every text.
    std::vector<TElementSetEntry> ElementSets;
    std::string ElementTextProblem;
    // What GetFileProblems gives, and DescribePass for every pass of the named satellite.
    std::vector<std::string> FileProblems;
    std::map<std::string, std::string> PassDetails;
    double LatitudeDeg = 0, LongitudeDeg = 0, HeightM = 0;
    std::string DataPath;
    bool* Released = nullptr;

    HResult GetLibraryVersion(std::string& version) override;
    HResult SetDataPath(const std::string& folder) override;
    HResult GetDataValid(std::int32_t& valid) override;
    HResult SetLatitude(double latitudeDeg) override;
    HResult SetLongitude(double longitudeDeg) override;
    HResult SetHeight(double heightM) override;
    HResult ComputePasses(const std::string& name, double start, std::int32_t minLengthS,
                          std::int32_t days, double minElevationDeg, std::string& passes) override;
    HResult GetElementSets(std::string& sets) override;
    HResult CheckElementText(const std::string& text, std::string& problem) override;
    HResult GetFileProblems(std::string& problems) override;
    HResult DescribePass(const std::string& name, double start, double minElevationDeg,
                         std::string& details) override;
    void Release() override;

private:
    HResult Enter(const char* method);
};

// The program's wrapper around a fake that the test keeps using; the wrapper's Release does
// not delete it.
std::unique_ptr<TSatellites> WrapFake(TFakeSatellites& fake);

} // namespace kestrune::test

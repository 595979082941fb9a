#include "support/FakeSatellites.h"

#include "core/CommaText.h"

namespace kestrune::test {

HResult TFakeSatellites::Enter(const char* method) {
    Log.emplace_back(method);
    const auto failure = Failures.find(method);
    return failure == Failures.end() ? SOk : failure->second;
}

HResult TFakeSatellites::GetLibraryVersion(std::string& version) {
    version = "9.8.7";
    return Enter("GetLibraryVersion");
}

HResult TFakeSatellites::SetDataPath(const std::string& folder) {
    DataPath = folder;
    return Enter("SetDataPath");
}

HResult TFakeSatellites::GetDataValid(std::int32_t& valid) {
    valid = DataPath.empty() ? 0 : 1;
    return Enter("GetDataValid");
}

HResult TFakeSatellites::SetLatitude(double latitudeDeg) {
    LatitudeDeg = latitudeDeg;
    return Enter("SetLatitude");
}

HResult TFakeSatellites::SetLongitude(double longitudeDeg) {
    LongitudeDeg = longitudeDeg;
    return Enter("SetLongitude");
}

HResult TFakeSatellites::SetHeight(double heightM) {
    HeightM = heightM;
    return Enter("SetHeight");
}

HResult TFakeSatellites::ComputePasses(const std::string& name, double start,
                                       std::int32_t minLengthS, std::int32_t days,
                                       double minElevationDeg, std::string& passes) {
    Calls.push_back({name, start, minLengthS, days, minElevationDeg});
    const auto found = Passes.find(name);
    passes = found == Passes.end() ? "" : found->second;
    return Enter("ComputePasses");
}

HResult TFakeSatellites::GetElementSets(std::string& sets) {
    sets = WriteElementSetEntries(ElementSets);
    return Enter("GetElementSets");
}

HResult TFakeSatellites::CheckElementText(const std::string&, std::string& problem) {
    problem = ElementTextProblem;
    return Enter("CheckElementText");
}

HResult TFakeSatellites::GetFileProblems(std::string& problems) {
    problems = FileProblems.empty() ? std::string() : WriteCommaText(FileProblems);
    return Enter("GetFileProblems");
}

HResult TFakeSatellites::DescribePass(const std::string& name, double, double,
                                      std::string& details) {
    const auto found = PassDetails.find(name);
    details = found == PassDetails.end() ? "" : found->second;
    return Enter("DescribePass");
}

void TFakeSatellites::Release() {
    if (Released)
        *Released = true;
}

std::unique_ptr<TSatellites> WrapFake(TFakeSatellites& fake) {
    return std::make_unique<TSatellites>(&fake, nullptr);
}

} // namespace kestrune::test

// A stand-in orbit component: hands out an object whose version text counts the live objects,
// so a test sees that the program's wrapper releases what it was given.
#include "core/Satellites.h"

using namespace kestrune;

namespace {

int LiveObjects = 0;

class TStubSatellites final : public ISatellites {
public:
    TStubSatellites() { ++LiveObjects; }
    ~TStubSatellites() { --LiveObjects; }
    HResult GetLibraryVersion(std::string& version) override {
        version = "stub " + std::to_string(LiveObjects);
        return SOk;
    }
    HResult SetDataPath(const std::string&) override { return SOk; }
    HResult GetDataValid(std::int32_t& valid) override {
        valid = 1;
        return SOk;
    }
    HResult SetLatitude(double) override { return SOk; }
    HResult SetLongitude(double) override { return SOk; }
    HResult SetHeight(double) override { return EInvalidArg; }
    HResult ComputePasses(const std::string&, double, std::int32_t, std::int32_t, double,
                          std::string& passes) override {
        passes.clear();
        return SOk;
    }
    HResult GetElementSets(std::string& sets) override {
        sets.clear();
        return SOk;
    }
    HResult CheckElementText(const std::string&, std::string& problem) override {
        problem.clear();
        return SOk;
    }
    HResult GetFileProblems(std::string& problems) override {
        problems.clear();
        return SOk;
    }
    HResult DescribePass(const std::string&, double, double, std::string& details) override {
        details.clear();
        return SOk;
    }
    void Release() override { delete this; }
};

} // namespace

extern "C" __attribute__((visibility("default"))) HResult
QmrSatLibCreateInstance(const TGuid* classId, const TGuid* interfaceId, void** object) {
    if (!classId || !interfaceId || !object)
        return EPointer;
    *object = nullptr;
    if (!(*classId == ClsidSatellites))
        return ClassENotAvailable;
    if (!(*interfaceId == IidSatellites))
        return ENoInterface;
    *object = static_cast<ISatellites*>(new TStubSatellites);
    return SOk;
}

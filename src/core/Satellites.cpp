#include "core/Satellites.h"

#include "core/CommaText.h"
#include "core/Text.h"

#include <cstdio>
#include <utility>

namespace kestrune {

namespace {

const char* KnownHResultText(HResult code) {
    switch (code) {
    case ENotImpl:
        return "Not implemented";
    case ENoInterface:
        return "No such interface supported";
    case EPointer:
        return "Invalid pointer";
    case EFail:
        return "Unspecified error";
    case EOutOfMemory:
        return "Not enough memory";
    case EInvalidArg:
        return "The parameter is incorrect";
    case ClassENotAvailable:
        return "Class not available";
    case RegDbEClassNotReg:
        return "Class not registered";
    default:
        return nullptr;
    }
}

void Check(HResult code, const char* call) {
    if (Failed(code))
        throw ESatellites(std::string("ISatellites.") + call + " failed: " + DescribeHResult(code));
}

} // namespace

std::string DescribeHResult(HResult code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    const char* known = KnownHResultText(code);
    return known ? std::string(hex) + " (" + known + ")" : std::string(hex);
}

std::string SatellitesConnectionMessage(const std::filesystem::path& module,
                                        const std::string& reason) {
    const std::string file = Utf8FromPath(module.filename());
    if (SameTextAscii(Utf8FromPath(module.extension()), ".dll"))
        return "Error connecting to in-process COM server " + file +
               "\r\rTry using the command \"REGSVR32 " + file +
               "\" from the command prompt in the folder containing the file " + file +
               ".\r\rThe REGSVR32 command may be found in your Windows System folder." +
               "\r\rThe loader reported: " + reason;
    return "Error connecting to in-process COM server " + file + "\r\rTry copying the file " +
           file + " into the folder containing the program (" + Utf8FromPath(module.parent_path()) +
           ") and start it again." + "\r\rThe loader reported: " + reason;
}

TSatellites::TSatellites(ISatellites* satellites, std::shared_ptr<void> module)
    : FSatellites(satellites), FModule(std::move(module)) {
    if (!FSatellites)
        throw ESatellites("The orbit-prediction component gave no interface");
}

TSatellites::~TSatellites() {
    FSatellites->Release();
}

std::string TSatellites::GetLibraryVersion() {
    std::string version;
    Check(FSatellites->GetLibraryVersion(version), "GetLibraryVersion");
    return version;
}

void TSatellites::SetDataPath(const std::string& folder) {
    Check(FSatellites->SetDataPath(folder), "SetDataPath");
}

bool TSatellites::GetDataValid() {
    std::int32_t valid = 0;
    Check(FSatellites->GetDataValid(valid), "GetDataValid");
    return valid != 0;
}

void TSatellites::SetLatitude(double latitudeDeg) {
    Check(FSatellites->SetLatitude(latitudeDeg), "SetLatitude");
}

void TSatellites::SetLongitude(double longitudeDeg) {
    Check(FSatellites->SetLongitude(longitudeDeg), "SetLongitude");
}

void TSatellites::SetHeight(double heightM) {
    Check(FSatellites->SetHeight(heightM), "SetHeight");
}

std::string TSatellites::ComputePasses(const std::string& name, double start,
                                       std::int32_t minLengthS, std::int32_t days,
                                       double minElevationDeg) {
    std::string passes;
    Check(FSatellites->ComputePasses(name, start, minLengthS, days, minElevationDeg, passes),
          "ComputePasses");
    return passes;
}

TElementSetIndex TSatellites::ElementSets() {
    std::string sets;
    Check(FSatellites->GetElementSets(sets), "GetElementSets");
    return TElementSetIndex(ReadElementSetEntries(sets));
}

std::string TSatellites::CheckElementText(const std::string& text) {
    std::string problem;
    Check(FSatellites->CheckElementText(text, problem), "CheckElementText");
    return problem;
}

std::vector<std::string> TSatellites::FileProblems() {
    std::string problems;
    Check(FSatellites->GetFileProblems(problems), "GetFileProblems");
    return ReadCommaText(problems);
}

std::optional<TSatellites::TPassDetails>
TSatellites::DescribePass(const std::string& name, TDateTime start, double minElevationDeg) {
    std::string text;
    Check(FSatellites->DescribePass(name, start, minElevationDeg, text), "DescribePass");
    const std::vector<std::string> fields = ReadCommaText(text);
    if (fields.size() != 3)
        return std::nullopt;
    const auto peak = ParseCompact(fields[0]);
    const auto rise = ParseInt(fields[1]);
    const auto set = ParseInt(fields[2]);
    if (!peak || !rise || !set)
        return std::nullopt;
    return TPassDetails{*peak, *rise, *set};
}

} // namespace kestrune

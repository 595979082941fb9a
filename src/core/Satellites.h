#pragma once
// The orbit-prediction component's interface as the program sees it, and the one C entry point
// through which the component's module hands it out. Every method answers with an HRESULT-like
// code; texts that come back are owned by the caller.

#include "core/ElementSets.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrune {

using HResult = std::int32_t;

constexpr HResult SOk = 0;
constexpr HResult ENotImpl = static_cast<HResult>(0x80004001);
constexpr HResult ENoInterface = static_cast<HResult>(0x80004002);
constexpr HResult EPointer = static_cast<HResult>(0x80004003);
constexpr HResult EFail = static_cast<HResult>(0x80004005);
constexpr HResult EOutOfMemory = static_cast<HResult>(0x8007000E);
constexpr HResult EInvalidArg = static_cast<HResult>(0x80070057);
constexpr HResult ClassENotAvailable = static_cast<HResult>(0x80040111);
constexpr HResult RegDbEClassNotReg = static_cast<HResult>(0x80040154);

constexpr bool Failed(HResult code) {
    return code < 0;
}

struct TGuid {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
    friend bool operator==(const TGuid&, const TGuid&) = default;
};

// The component's class and its ISatellites interface.
constexpr TGuid ClsidSatellites{
    0x664FD442, 0xE48A, 0x11D4, {0xAD, 0xE9, 0x00, 0xA0, 0xCC, 0x5A, 0xA9, 0x4A}};
constexpr TGuid IidSatellites{
    0xB670A922, 0xE488, 0x11D4, {0xAD, 0xE9, 0x00, 0xA0, 0xCC, 0x5A, 0xA9, 0x4A}};

class ISatellites {
public:
    virtual HResult GetLibraryVersion(std::string& version) = 0;
    // An empty folder releases the data.
    virtual HResult SetDataPath(const std::string& folder) = 0;
    virtual HResult GetDataValid(std::int32_t& valid) = 0;
    virtual HResult SetLatitude(double latitudeDeg) = 0;
    virtual HResult SetLongitude(double longitudeDeg) = 0;
    virtual HResult SetHeight(double heightM) = 0;
    // The passes as comma text of pass lines; a name the data lacks gives an empty text.
    virtual HResult ComputePasses(const std::string& name, double start, std::int32_t minLengthS,
                                  std::int32_t days, double minElevationDeg,
                                  std::string& passes) = 0;
    // The element sets of the data folder as WriteElementSetEntries writes them (empty without
    // a folder).
    virtual HResult GetElementSets(std::string& sets) = 0;
    // What keeps an element file's text from being read whole ("line 7: ..."); empty when every
    // line belongs to a valid set.
    virtual HResult CheckElementText(const std::string& text, std::string& problem) = 0;
    // One line for each file of the data folder that was not read whole, and why, as comma
    // text: "weather.json (OMM JSON) not read: line 3: ..." (empty when every file was).
    virtual HResult GetFileProblems(std::string& problems) = 0;
    // The pass of the satellite that rises at `start` (to the second) above the minimum
    // elevation, as comma text: the time of its highest point as yyyymmddhhnnss and the
    // azimuths at its rise and its set in whole degrees; empty when there is no such pass.
    virtual HResult DescribePass(const std::string& name, double start, double minElevationDeg,
                                 std::string& details) = 0;
    // Ends the object; the module that made it must still be loaded.
    virtual void Release() = 0;

protected:
    ~ISatellites() = default;
};

// The module's one exported function: an object of the class for the interface, or a failure.
using TCreateInstanceFunc = HResult (*)(const TGuid* classId, const TGuid* interfaceId,
                                        void** object);
constexpr const char* CreateInstanceSymbol = "QmrSatLibCreateInstance";

class ESatellites : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program's side of the component: owns the interface (and whatever keeps its module
// loaded) and turns every failure code into an ESatellites that names the call and the code.
class TSatellites {
public:
    TSatellites(ISatellites* satellites, std::shared_ptr<void> module);
    ~TSatellites();
    TSatellites(const TSatellites&) = delete;
    TSatellites& operator=(const TSatellites&) = delete;

    std::string GetLibraryVersion();
    void SetDataPath(const std::string& folder);
    bool GetDataValid();
    void SetLatitude(double latitudeDeg);
    void SetLongitude(double longitudeDeg);
    void SetHeight(double heightM);
    std::string ComputePasses(const std::string& name, double start, std::int32_t minLengthS,
                              std::int32_t days, double minElevationDeg);
    TElementSetIndex ElementSets();
    std::string CheckElementText(const std::string& text);
    std::vector<std::string> FileProblems();
    // DescribePass read: nothing when the component knows no such pass.
    struct TPassDetails {
        TDateTime Peak = 0;
        int RiseAzimuthDeg = 0, SetAzimuthDeg = 0;
    };
    std::optional<TPassDetails> DescribePass(const std::string& name, TDateTime start,
                                             double minElevationDeg);

private:
    ISatellites* FSatellites;
    std::shared_ptr<void> FModule;
};

// The message shown when the component cannot be connected: what failed, the remedy, and the
// loader's own words, as paragraphs separated by two carriage returns. `module` is where the
// component was looked for: its file name and the program's folder. A ".dll" is an in-process
// COM server that the system finds through its registration, so the remedy is registering it
// with REGSVR32; any other module is loaded from the program's folder, so the remedy is copying
// it there.
std::string SatellitesConnectionMessage(const std::filesystem::path& module,
                                        const std::string& reason);

// "0x80004005 (Unspecified error)" for the codes we know, the bare hexadecimal code otherwise.
std::string DescribeHResult(HResult code);

} // namespace kestrune

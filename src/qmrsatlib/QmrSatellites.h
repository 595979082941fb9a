#pragma once
// The orbit-prediction component behind ISatellites.
//
// SetDataPath remembers the folder and reads it; before every GetDataValid, ComputePasses and
// GetElementSets the folder's regular files (names, sizes, modification times) are looked at
// again and the folder is read anew when they changed, so element files that another program
// refreshes are picked up. A folder that cannot be listed any more keeps the sets last read
// from it.

#include "core/Satellites.h"
#include "qmrsatlib/TleCatalog.h"

#include <filesystem>
#include <string>

namespace kestrune {

class TQmrSatellites final : public ISatellites {
public:
    // Longest prediction window, days.
    static constexpr std::int32_t MaxDays = 366;

    TQmrSatellites() = default;
    TQmrSatellites(const TQmrSatellites&) = delete;
    TQmrSatellites& operator=(const TQmrSatellites&) = delete;

    HResult GetLibraryVersion(std::string& version) override;
    // A folder that does not exist fails with EInvalidArg and keeps the one before.
    HResult SetDataPath(const std::string& folder) override;
    HResult GetDataValid(std::int32_t& valid) override;
    HResult SetLatitude(double latitudeDeg) override;
    HResult SetLongitude(double longitudeDeg) override;
    HResult SetHeight(double heightM) override;
    // One pass line "yyyymmddhhnnss D EEE AAA LLL NAME" per pass whose rise (rounded to the
    // second) starts the line: D the direction, EEE and AAA the highest elevation and its
    // azimuth in whole degrees, LLL the length in whole seconds, then the name as given.
    HResult ComputePasses(const std::string& name, double start, std::int32_t minLengthS,
                          std::int32_t days, double minElevationDeg, std::string& passes) override;
    HResult GetElementSets(std::string& sets) override;
    HResult CheckElementText(const std::string& text, std::string& problem) override;
    HResult GetFileProblems(std::string& problems) override;
    HResult DescribePass(const std::string& name, double start, double minElevationDeg,
                         std::string& details) override;
    void Release() override;

private:
    ~TQmrSatellites() = default;
    void Refresh();

    bool FHasFolder = false;
    std::filesystem::path FFolder;
    TFolderState FFolderState;
    TTleCatalog FCatalog;
    double FLatitudeDeg = 0.0;
    double FLongitudeDeg = 0.0;
    double FHeightM = 0.0;
};

// The module's entry point behind QmrSatLibCreateInstance: a new object for ClsidSatellites and
// IidSatellites; EPointer, ClassENotAvailable or ENoInterface otherwise.
HResult CreateSatellitesInstance(const TGuid* classId, const TGuid* interfaceId, void** object);

} // namespace kestrune

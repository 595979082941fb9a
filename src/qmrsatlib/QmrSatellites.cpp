#include "qmrsatlib/QmrSatellites.h"

#include "core/CommaText.h"
#include "core/DateTime.h"
#include "core/Text.h"
#include "qmrsatlib/ElementFile.h"
#include "qmrsatlib/Observer.h"
#include "qmrsatlib/PassFinder.h"

#include <cmath>
#include <new>
#include <vector>

namespace kestrune {

namespace {

// Runs a method body; no exception leaves the component.
template <typename TBody> HResult Guarded(TBody body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return EOutOfMemory;
    } catch (...) {
        return EFail;
    }
}

std::string PassLine(const TPass& pass, const std::string& name, long lengthS) {
    const TDateTime rise = FromUnixSeconds(std::round(ToUnixSeconds(pass.Rise)));
    const long elevationDeg = std::lround(pass.PeakElevationDeg);
    const long azimuthDeg = std::lround(pass.PeakAzimuthDeg) % 360;
    return FormatCompact(rise) + (pass.Northbound ? " N " : " S ") + std::to_string(elevationDeg) +
           " " + std::to_string(azimuthDeg) + " " + std::to_string(lengthS) + " " + name;
}

} // namespace

HResult TQmrSatellites::GetLibraryVersion(std::string& version) {
    return Guarded([&] {
        version = QMRSATLIB_VERSION;
        return SOk;
    });
}

HResult TQmrSatellites::SetDataPath(const std::string& folder) {
    return Guarded([&] {
        if (folder.empty()) {
            FHasFolder = false;
            FFolder.clear();
            FFolderState = {};
            FCatalog = {};
            return SOk;
        }
        std::error_code error;
        if (!std::filesystem::is_directory(PathFromUtf8(folder), error))
            return EInvalidArg;
        FHasFolder = true;
        FFolder = PathFromUtf8(folder);
        FFolderState = {};
        FCatalog = {};
        Refresh();
        return SOk;
    });
}

void TQmrSatellites::Refresh() {
    if (!FHasFolder)
        return;
    TFolderState state = ReadFolderState(FFolder);
    if (!state.Listed || state == FFolderState)
        return;
    TTleCatalog catalog;
    if (!catalog.AddFolder(FFolder))
        return;
    FCatalog = std::move(catalog);
    FFolderState = std::move(state);
}

HResult TQmrSatellites::GetDataValid(std::int32_t& valid) {
    return Guarded([&] {
        Refresh();
        valid = FCatalog.Size() > 0 ? 1 : 0;
        return SOk;
    });
}

HResult TQmrSatellites::SetLatitude(double latitudeDeg) {
    if (!(std::fabs(latitudeDeg) <= 90.0))
        return EInvalidArg;
    FLatitudeDeg = latitudeDeg;
    return SOk;
}

HResult TQmrSatellites::SetLongitude(double longitudeDeg) {
    if (!std::isfinite(longitudeDeg))
        return EInvalidArg;
    FLongitudeDeg = longitudeDeg;
    return SOk;
}

HResult TQmrSatellites::SetHeight(double heightM) {
    // From the deepest trench to well above any station.
    if (!(heightM >= -11000.0 && heightM <= 100000.0))
        return EInvalidArg;
    FHeightM = heightM;
    return SOk;
}

HResult TQmrSatellites::ComputePasses(const std::string& name, double start,
                                      std::int32_t minLengthS, std::int32_t days,
                                      double minElevationDeg, std::string& passes) {
    return Guarded([&] {
        if (!std::isfinite(start) || start < 0.0 || start > FarFuture || days < 0 ||
            days > MaxDays || !(std::fabs(minElevationDeg) <= 90.0))
            return EInvalidArg;
        Refresh();
        passes.clear();
        const TElementSet* set = FCatalog.Find(name);
        if (!set || days == 0)
            return SOk;
        TSgp4 sgp4(set->Elements);
        const TObserver observer(FLatitudeDeg, FLongitudeDeg, FHeightM);
        TPassFinder finder(sgp4, observer, minElevationDeg);
        std::vector<std::string> lines;
        for (const TPass& pass : finder.Find(start, start + days)) {
            const long lengthS = std::lround((pass.Set - pass.Rise) * SecondsPerDay);
            if (lengthS >= minLengthS)
                lines.push_back(PassLine(pass, name, lengthS));
        }
        passes = lines.empty() ? std::string() : WriteCommaText(lines);
        return SOk;
    });
}

HResult TQmrSatellites::GetElementSets(std::string& sets) {
    return Guarded([&] {
        Refresh();
        sets = WriteElementSetEntries(FCatalog.Entries());
        return SOk;
    });
}

HResult TQmrSatellites::CheckElementText(const std::string& text, std::string& problem) {
    return Guarded([&] {
        problem = ElementFileProblem(text);
        return SOk;
    });
}

HResult TQmrSatellites::GetFileProblems(std::string& problems) {
    return Guarded([&] {
        Refresh();
        problems = FCatalog.FileProblems().empty() ? std::string()
                                                   : WriteCommaText(FCatalog.FileProblems());
        return SOk;
    });
}

HResult TQmrSatellites::DescribePass(const std::string& name, double start, double minElevationDeg,
                                     std::string& details) {
    return Guarded([&] {
        if (!std::isfinite(start) || start < 0.0 || start > FarFuture ||
            !(std::fabs(minElevationDeg) <= 90.0))
            return EInvalidArg;
        Refresh();
        details.clear();
        const TElementSet* set = FCatalog.Find(name);
        if (!set)
            return SOk;
        TSgp4 sgp4(set->Elements);
        const TObserver observer(FLatitudeDeg, FLongitudeDeg, FHeightM);
        TPassFinder finder(sgp4, observer, minElevationDeg);
        // The line's start is the rise rounded to the second.
        for (const TPass& pass : finder.Find(start - OneSecond, start + OneSecond)) {
            const TDateTime peak = FromUnixSeconds(std::round(ToUnixSeconds(pass.Peak)));
            details = WriteCommaText({FormatCompact(peak),
                                      std::to_string(std::lround(pass.RiseAzimuthDeg) % 360),
                                      std::to_string(std::lround(pass.SetAzimuthDeg) % 360)});
            break;
        }
        return SOk;
    });
}

void TQmrSatellites::Release() {
    delete this;
}

HResult CreateSatellitesInstance(const TGuid* classId, const TGuid* interfaceId, void** object) {
    if (!object)
        return EPointer;
    *object = nullptr;
    if (!classId || !interfaceId)
        return EPointer;
    if (!(*classId == ClsidSatellites))
        return ClassENotAvailable;
    if (!(*interfaceId == IidSatellites))
        return ENoInterface;
    auto* satellites = new (std::nothrow) TQmrSatellites();
    if (!satellites)
        return EOutOfMemory;
    *object = static_cast<ISatellites*>(satellites);
    return SOk;
}

} // namespace kestrune

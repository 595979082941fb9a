#include "platform/windows/ModuleLoader.h"

#include "core/Text.h"
#include "platform/windows/Executable.h"
#include "qmrsatlib/windows/Bstr.h"
#include "qmrsatlib/windows/SatellitesCom.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <windows.h>

namespace kestrune {

namespace {

// The program's TGuid and Windows' GUID have the same fields.
GUID ToGuid(const TGuid& id) {
    GUID guid{id.Data1, id.Data2, id.Data3, {}};
    std::copy(std::begin(id.Data4), std::end(id.Data4), std::begin(guid.Data4));
    return guid;
}

std::string GuidText(const TGuid& id) {
    wchar_t text[40] = {};
    StringFromGUID2(ToGuid(id), text, 40);
    return Utf8FromUtf16(reinterpret_cast<const char16_t*>(text));
}

// This thread in a single-threaded apartment for as long as the component lives: the component
// is registered for the apartment of the thread that makes it, so its calls come straight in.
class TComApartment {
public:
    TComApartment() : FCode(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComApartment() {
        if (SUCCEEDED(FCode))
            CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

    // RPC_E_CHANGED_MODE (the thread is in the multi-threaded apartment already) is no failure
    // here: COM then says whether it can reach the component from there.
    HRESULT Code() const { return FCode == RPC_E_CHANGED_MODE ? S_OK : FCode; }

private:
    HRESULT FCode;
};

// The program's ISatellites over the component's COM interface: UTF-8 texts in and out as BSTRs.
class TComSatellites final : public ISatellites {
public:
    explicit TComSatellites(com::ISatellites* satellites) : FSatellites(satellites) {}
    TComSatellites(const TComSatellites&) = delete;
    TComSatellites& operator=(const TComSatellites&) = delete;

    HResult GetLibraryVersion(std::string& version) override {
        return TextOut(version, [&](BSTR* out) { return FSatellites->GetLibraryVersion(out); });
    }
    HResult SetDataPath(const std::string& folder) override {
        return FSatellites->SetDataPath(com::TBstr(folder).Get());
    }
    HResult GetDataValid(std::int32_t& valid) override {
        LONG value = 0;
        const HRESULT code = FSatellites->GetDataValid(&value);
        valid = value;
        return code;
    }
    HResult SetLatitude(double latitudeDeg) override {
        return FSatellites->SetLatitude(latitudeDeg);
    }
    HResult SetLongitude(double longitudeDeg) override {
        return FSatellites->SetLongitude(longitudeDeg);
    }
    HResult SetHeight(double heightM) override { return FSatellites->SetHeight(heightM); }
    HResult ComputePasses(const std::string& name, double start, std::int32_t minLengthS,
                          std::int32_t days, double minElevationDeg, std::string& passes) override {
        const com::TBstr nameText(name);
        return TextOut(passes, [&](BSTR* out) {
            return FSatellites->ComputePasses(nameText.Get(), start, minLengthS, days,
                                              minElevationDeg, out);
        });
    }
    HResult GetElementSets(std::string& sets) override {
        return TextOut(sets, [&](BSTR* out) { return FSatellites->GetElementSets(out); });
    }
    HResult CheckElementText(const std::string& text, std::string& problem) override {
        const com::TBstr in(text);
        return TextOut(problem,
                       [&](BSTR* out) { return FSatellites->CheckElementText(in.Get(), out); });
    }
    HResult GetFileProblems(std::string& problems) override {
        return TextOut(problems, [&](BSTR* out) { return FSatellites->GetFileProblems(out); });
    }
    HResult DescribePass(const std::string& name, double start, double minElevationDeg,
                         std::string& details) override {
        const com::TBstr nameText(name);
        return TextOut(details, [&](BSTR* out) {
            return FSatellites->DescribePass(nameText.Get(), start, minElevationDeg, out);
        });
    }
    void Release() override {
        FSatellites->Release();
        delete this;
    }

private:
    ~TComSatellites() = default;

    template <typename TCall> static HResult TextOut(std::string& text, TCall call) {
        com::TBstr out;
        const HRESULT code = call(out.Out());
        if (SUCCEEDED(code))
            text = out.Utf8();
        return code;
    }

    com::ISatellites* FSatellites;
};

} // namespace

std::unique_ptr<TSatellites> ConnectSatellites(const std::filesystem::path& modulePath,
                                               const TGuid& classId, const TGuid& interfaceId) {
    const std::string what = "the orbit-prediction component " +
                             Utf8FromPath(modulePath.filename()) + " (class " + GuidText(classId) +
                             ")";
    auto apartment = std::make_shared<TComApartment>();
    if (FAILED(apartment->Code()))
        throw ESatellites("Cannot start COM for " + what + ": " +
                          DescribeHResult(apartment->Code()));
    // The program speaks only the component's ISatellites.
    if (!(interfaceId == IidSatellites))
        throw ESatellites("Cannot create " + what + ": " + DescribeHResult(ENoInterface));
    void* object = nullptr;
    const HRESULT code =
        CoCreateInstance(ToGuid(classId), nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         com::IidSatellites, &object);
    if (code == REGDB_E_CLASSNOTREG)
        throw ESatellites(what + " is not registered: " + DescribeHResult(code));
    if (FAILED(code) || !object)
        throw ESatellites("Cannot create " + what + ": " +
                          DescribeHResult(FAILED(code) ? code : EPointer));
    return std::make_unique<TSatellites>(new TComSatellites(static_cast<com::ISatellites*>(object)),
                                         std::move(apartment));
}

std::filesystem::path SatellitesModulePath() {
    return ExecutableDir() / "QmrSatLib.dll";
}

} // namespace kestrune

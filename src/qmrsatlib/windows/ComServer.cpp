// QmrSatLib.dll as an in-process COM server: the class factory for the satellites class, the
// ISatellites object over the component's own implementation, and the registration that lets
// CoCreateInstance find the DLL.
#include "qmrsatlib/QmrSatellites.h"
#include "qmrsatlib/windows/Bstr.h"
#include "qmrsatlib/windows/SatellitesCom.h"

#include <atomic>
#include <new>
#include <string>
#include <windows.h>

namespace kestrune::com {
namespace {

// Live objects plus LockServer locks: the DLL may be unloaded when this is zero.
std::atomic<long> ModuleUsers{0};

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleUsers), &module);
    return module;
}

// Runs a method body whose failures are exceptions of the conversions (out of memory).
template <typename TBody> HRESULT Guarded(TBody body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// Objects end in Release, not through a virtual destructor (see SatellitesCom.h).
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// One satellites object: ISatellites over the component's implementation, which keeps its own
// state (folder, location); this only converts texts and counts references.
class TSatellitesObject final : public ISatellites {
public:
    explicit TSatellitesObject(kestrune::ISatellites& satellites) : FSatellites(satellites) {
        ++ModuleUsers;
    }
    TSatellitesObject(const TSatellitesObject&) = delete;
    TSatellitesObject& operator=(const TSatellitesObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, IidSatellites)) {
            *object = static_cast<ISatellites*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --FReferences;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: no type library, no members to bind to late.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID,
                                            DISPID* ids) override {
        for (UINT i = 0; ids && i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    // ISatellites
    HRESULT STDMETHODCALLTYPE GetLibraryVersion(BSTR* version) override {
        return TextOut(version,
                       [&](std::string& text) { return FSatellites.GetLibraryVersion(text); });
    }
    HRESULT STDMETHODCALLTYPE SetDataPath(BSTR folder) override {
        return Guarded([&] { return FSatellites.SetDataPath(Utf8FromBstr(folder)); });
    }
    HRESULT STDMETHODCALLTYPE GetDataValid(LONG* valid) override {
        if (!valid)
            return E_POINTER;
        std::int32_t value = 0;
        const HRESULT code = FSatellites.GetDataValid(value);
        *valid = SUCCEEDED(code) ? value : 0;
        return code;
    }
    HRESULT STDMETHODCALLTYPE SetLatitude(double latitudeDeg) override {
        return FSatellites.SetLatitude(latitudeDeg);
    }
    HRESULT STDMETHODCALLTYPE SetLongitude(double longitudeDeg) override {
        return FSatellites.SetLongitude(longitudeDeg);
    }
    HRESULT STDMETHODCALLTYPE SetHeight(double heightM) override {
        return FSatellites.SetHeight(heightM);
    }
    HRESULT STDMETHODCALLTYPE ComputePasses(BSTR name, double start, LONG minLengthS, LONG days,
                                            double minElevationDeg, BSTR* passes) override {
        return TextOut(passes, [&](std::string& text) {
            return FSatellites.ComputePasses(Utf8FromBstr(name), start, minLengthS, days,
                                             minElevationDeg, text);
        });
    }
    HRESULT STDMETHODCALLTYPE GetElementSets(BSTR* sets) override {
        return TextOut(sets, [&](std::string& text) { return FSatellites.GetElementSets(text); });
    }
    HRESULT STDMETHODCALLTYPE CheckElementText(BSTR text, BSTR* problem) override {
        return TextOut(problem, [&](std::string& out) {
            return FSatellites.CheckElementText(Utf8FromBstr(text), out);
        });
    }
    HRESULT STDMETHODCALLTYPE GetFileProblems(BSTR* problems) override {
        return TextOut(problems,
                       [&](std::string& text) { return FSatellites.GetFileProblems(text); });
    }
    HRESULT STDMETHODCALLTYPE DescribePass(BSTR name, double start, double minElevationDeg,
                                           BSTR* details) override {
        return TextOut(details, [&](std::string& text) {
            return FSatellites.DescribePass(Utf8FromBstr(name), start, minElevationDeg, text);
        });
    }
    HRESULT STDMETHODCALLTYPE Reserved02() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved05() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved06() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved08() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved20() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved21() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved22() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved24() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved25() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved26() override { return E_NOTIMPL; }

private:
    ~TSatellitesObject() {
        FSatellites.Release();
        --ModuleUsers;
    }

    // A call with an out text: the BSTR is set only when the call succeeds, null otherwise.
    template <typename TCall> static HRESULT TextOut(BSTR* out, TCall call) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            std::string text;
            const HRESULT code = call(text);
            if (SUCCEEDED(code))
                *out = NewBstr(text);
            return code;
        });
    }

    kestrune::ISatellites& FSatellites;
    std::atomic<ULONG> FReferences{1};
};

// The class object: one for the DLL's life, so it counts only LockServer in the module's users.
class TSatellitesFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        void* made = nullptr;
        const HRESULT created = kestrune::CreateSatellitesInstance(&kestrune::ClsidSatellites,
                                                                   &kestrune::IidSatellites, &made);
        if (FAILED(created))
            return created;
        auto* satellites = static_cast<kestrune::ISatellites*>(made);
        auto* instance = new (std::nothrow) TSatellitesObject(*satellites);
        if (!instance) {
            satellites->Release();
            return E_OUTOFMEMORY;
        }
        const HRESULT code = instance->QueryInterface(iid, object);
        instance->Release();
        return code;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            ++ModuleUsers;
        else
            --ModuleUsers;
        return S_OK;
    }
};

TSatellitesFactory Factory;

// "{664FD442-E48A-11D4-ADE9-00A0CC5AA94A}"
std::wstring ClassKey() {
    wchar_t text[40] = {};
    StringFromGUID2(ClsidSatellites, text, 40);
    return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

HRESULT FromWin32(LSTATUS status) {
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    return FromWin32(RegSetValueExW(key, name, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(text.c_str()),
                                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
}

// The class's key under root with the DLL's full path as its in-process server, loaded into the
// caller's apartment: the object is called from the thread that made it.
HRESULT Register(HKEY root) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return E_FAIL;
    HKEY server = nullptr;
    HRESULT code = FromWin32(RegCreateKeyExW(root, (ClassKey() + L"\\InprocServer32").c_str(), 0,
                                             nullptr, 0, KEY_SET_VALUE, nullptr, &server, nullptr));
    if (FAILED(code))
        return code;
    code = SetText(server, nullptr, path);
    if (SUCCEEDED(code))
        code = SetText(server, L"ThreadingModel", L"Apartment");
    RegCloseKey(server);
    HKEY classKey = nullptr;
    if (SUCCEEDED(code))
        code = FromWin32(RegOpenKeyExW(root, ClassKey().c_str(), 0, KEY_SET_VALUE, &classKey));
    if (SUCCEEDED(code)) {
        code = SetText(classKey, nullptr, L"QmrSatLib Satellites");
        RegCloseKey(classKey);
    }
    return code;
}

HRESULT Unregister(HKEY root) {
    const LSTATUS status = RegDeleteTreeW(root, ClassKey().c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(status);
}

// "machine" picks the machine's classes (an administrator's install), anything else the user's.
HKEY RootFor(LPCWSTR commandLine) {
    return commandLine && lstrcmpiW(commandLine, L"machine") == 0 ? HKEY_LOCAL_MACHINE
                                                                  : HKEY_CURRENT_USER;
}

} // namespace
} // namespace kestrune::com

using namespace kestrune::com;

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(classId, ClsidSatellites))
        return CLASS_E_CLASSNOTAVAILABLE;
    return Factory.QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return ModuleUsers == 0 ? S_OK : S_FALSE;
}

// REGSVR32 QmrSatLib.dll: registered for the user who runs it, no administrator needed.
HRESULT STDAPICALLTYPE DllRegisterServer() {
    return Register(HKEY_CURRENT_USER);
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return Unregister(HKEY_CURRENT_USER);
}

// REGSVR32 /n /i:machine QmrSatLib.dll (and /u to remove): registered for every user of the
// machine, for systems that do not look at the user's classes (Wine).
HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
    const HKEY root = RootFor(commandLine);
    return install ? Register(root) : Unregister(root);
}

} // extern "C"

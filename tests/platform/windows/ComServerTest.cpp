// QmrSatLib.dll as COM serves it: created through its class id as the program creates it, the
// same answers as the component called directly, texts that are no ASCII included, and
// registration per user and per machine.
#include "core/DateTime.h"
#include "core/Text.h"
#include "platform/windows/ModuleLoader.h"
#include "qmrsatlib/QmrSatellites.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <windows.h>

namespace kestrune {
namespace {

const wchar_t* const ClassKey = L"Software\\Classes\\CLSID\\{664FD442-E48A-11D4-ADE9-00A0CC5AA94A}";

std::string FailureOf(const TGuid& classId, const TGuid& interfaceId = IidSatellites) {
    try {
        ConnectSatellites(SatellitesModulePath(), classId, interfaceId);
    } catch (const ESatellites& error) {
        return error.what();
    }
    return "no failure";
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::wstring TextValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    wchar_t text[MAX_PATH] = {};
    DWORD size = sizeof text;
    EXPECT_EQ(RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size),
              ERROR_SUCCESS);
    return text;
}

// The DLL beside the tests, loaded for its registration functions; a registration that was
// there before the test (an installed Kestrune) is left alone.
class ComServer : public testing::Test {
public:
    void SetUp() override {
        Dll = LoadLibraryW(SatellitesModulePath().c_str());
        ASSERT_NE(Dll, nullptr) << "QmrSatLib.dll beside the tests";
    }
    void TearDown() override { FreeLibrary(Dll); }

    template <typename TFunc> TFunc* Export(const char* name) {
        return reinterpret_cast<TFunc*>(reinterpret_cast<void*>(GetProcAddress(Dll, name)));
    }
    HRESULT Install(bool install) {
        return Export<HRESULT STDAPICALLTYPE(BOOL, LPCWSTR)>("DllInstall")(install, L"machine");
    }

    HMODULE Dll = nullptr;
};

TEST_F(ComServer, CreatedThroughItsClassIdAnswersAsTheComponentCalledDirectly) {
    if (KeyExists(HKEY_LOCAL_MACHINE, ClassKey))
        GTEST_SKIP() << "the class is registered for the machine already";
    // Wine looks only at the machine's classes; Windows would find the user's too.
    ASSERT_EQ(Install(true), S_OK);
    struct TUninstall {
        ComServer* Test;
        ~TUninstall() { EXPECT_EQ(Test->Install(false), S_OK); }
    } uninstall{this};
    EXPECT_EQ(TextValue(HKEY_LOCAL_MACHINE, std::wstring(ClassKey) + L"\\InprocServer32", nullptr),
              SatellitesModulePath().wstring());
    auto* canUnloadNow = Export<HRESULT STDAPICALLTYPE()>("DllCanUnloadNow");

    test::TTempDir dir;
    const std::filesystem::path folder = dir.Path() / PathFromUtf8("Bj\xc3\xb8rn TLE");
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(KESTRUNE_TEST_DATA "/tle/weather.txt", folder / "weather.txt");
    std::ofstream(folder / "broken.txt") << "NOAA 99\n1 x\n";
    const double start = 46000.0; // 2025-12-09
    {
        auto satellites = ConnectSatellites(SatellitesModulePath());
        EXPECT_EQ(canUnloadNow(), S_FALSE);
        // The component called directly: what the COM server must answer alike.
        TSatellites direct(new TQmrSatellites(), nullptr);
        direct.SetDataPath(Utf8FromPath(folder));
        direct.SetLatitude(59.91);

        EXPECT_EQ(satellites->GetLibraryVersion(), KESTRUNE_PROJECT_VERSION);
        EXPECT_FALSE(satellites->GetDataValid());
        satellites->SetDataPath(Utf8FromPath(folder));
        EXPECT_TRUE(satellites->GetDataValid());
        satellites->SetLatitude(59.91);
        const std::string passes = satellites->ComputePasses("NOAA 19", start, 600, 2, 5.0);
        EXPECT_FALSE(passes.empty());
        EXPECT_EQ(passes, direct.ComputePasses("NOAA 19", start, 600, 2, 5.0));
        EXPECT_EQ(satellites->ComputePasses("NO SUCH \xc3\xb8", start, 600, 2, 5.0), "");
        EXPECT_EQ(satellites->ElementSets().Entries().size(),
                  direct.ElementSets().Entries().size());
        const std::string problem = satellites->CheckElementText("NOAA 19\n1 x\n");
        EXPECT_FALSE(problem.empty());
        EXPECT_EQ(problem, direct.CheckElementText("NOAA 19\n1 x\n"));
        // The pass details and the folder's file problems, which the schedule files carry.
        const std::vector<std::string> fileProblems = satellites->FileProblems();
        EXPECT_EQ(fileProblems.size(), 1u);
        EXPECT_EQ(fileProblems, direct.FileProblems());
        const std::optional<TDateTime> rise = ParseCompact(passes.substr(1, 14));
        ASSERT_TRUE(rise) << passes;
        const auto details = satellites->DescribePass("NOAA 19", *rise, 5.0);
        const auto expectedDetails = direct.DescribePass("NOAA 19", *rise, 5.0);
        ASSERT_TRUE(details && expectedDetails);
        EXPECT_EQ(details->Peak, expectedDetails->Peak);
        EXPECT_EQ(details->RiseAzimuthDeg, expectedDetails->RiseAzimuthDeg);
        EXPECT_EQ(details->SetAzimuthDeg, expectedDetails->SetAzimuthDeg);
        try {
            satellites->SetHeight(1e9);
            ADD_FAILURE() << "no error";
        } catch (const ESatellites& error) {
            EXPECT_STREQ(error.what(),
                         "ISatellites.SetHeight failed: 0x80070057 (The parameter is incorrect)");
        }
        satellites->SetDataPath("");
        EXPECT_FALSE(satellites->GetDataValid());
    }
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(ComServer, AClassNotRegisteredOrAnotherInterfaceIsAClearError) {
    const TGuid otherClass{0x12345678, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(FailureOf(otherClass),
              "the orbit-prediction component QmrSatLib.dll (class "
              "{12345678-0002-0003-0405-060708090A0B}) is not registered: 0x80040154 (Class not "
              "registered)");
    EXPECT_NE(
        FailureOf(ClsidSatellites, otherClass).find("0x80004002 (No such interface supported)"),
        std::string::npos);
}

TEST_F(ComServer, RegistersForTheUserAndUnregisters) {
    if (KeyExists(HKEY_CURRENT_USER, ClassKey))
        GTEST_SKIP() << "the class is registered for this user already";
    ASSERT_EQ(Export<HRESULT STDAPICALLTYPE()>("DllRegisterServer")(), S_OK);
    const std::wstring server = std::wstring(ClassKey) + L"\\InprocServer32";
    EXPECT_EQ(TextValue(HKEY_CURRENT_USER, server, nullptr), SatellitesModulePath().wstring());
    EXPECT_EQ(TextValue(HKEY_CURRENT_USER, server, L"ThreadingModel"), L"Apartment");
    ASSERT_EQ(Export<HRESULT STDAPICALLTYPE()>("DllUnregisterServer")(), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ClassKey));
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(Export<HRESULT STDAPICALLTYPE()>("DllUnregisterServer")(), S_OK);
}

} // namespace
} // namespace kestrune

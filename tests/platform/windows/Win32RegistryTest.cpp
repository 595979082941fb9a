// The settings through the real registry: what the program writes under HKEY_CURRENT_USER comes
// back through a fresh registry object byte for byte, non-ASCII text included. Each test works
// in a key of its own, removed at the end.

#include "platform/windows/Win32Registry.h"

#include "settings/RegistryVariables.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <windows.h>

namespace kestrune::test {
namespace {

class Win32Registry : public ::testing::Test {
protected:
    const std::string FProgram = "KestruneTest-" + std::to_string(::GetCurrentProcessId());
    const std::string FKey = "Software\\Quillmere\\" + FProgram;

    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Quillmere\\KestruneTest-" +
                                             std::to_wstring(::GetCurrentProcessId()))
                                                .c_str());
    }

    TSettingsContext Context(IRegistry& registry) const {
        return {registry, [this] { return "C:\\Programs\\Kestrune\\" + FProgram + ".exe"; }};
    }
};

TEST_F(Win32Registry, SettingsRoundTripWithNonAsciiTextAndTheComPortSubKey) {
    {
        TWin32Registry registry;
        TRegistryString path(Context(registry), "TleDataPath", "C:\\Data\\Tromsø");
        TRegistryInteger gap(Context(registry), "PrePassGap", 12);
        TRegistryBoolean scan(Context(registry), "ScanWhenIdle", true);
        EXPECT_EQ(path.KeyPath(), "\\Software\\Quillmere\\" + FProgram);
        std::unique_ptr<IRegistryKey> port;
        ASSERT_EQ(registry.CreateKey(TRootKey::CurrentUser, FKey + "\\ComPortControl", KeyAllAccess,
                                     port),
                  ErrorSuccess);
        ASSERT_EQ(port->SetValue("Bård", RegSz, Utf16Bytes("COM7")), ErrorSuccess);
    } // the setting objects write at their end

    // What Windows holds, read with advapi32 itself: UTF-16 text, a DWORD.
    wchar_t text[64] = {};
    DWORD size = sizeof text;
    ASSERT_EQ(::RegGetValueW(
                  HKEY_CURRENT_USER,
                  (L"Software\\Quillmere\\KestruneTest-" + std::to_wstring(::GetCurrentProcessId()))
                      .c_str(),
                  L"TleDataPath", RRF_RT_REG_SZ, nullptr, text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(text), L"C:\\Data\\Troms\u00f8");

    TWin32Registry fresh;
    EXPECT_EQ(TRegistryString(Context(fresh), "TleDataPath").Value, "C:\\Data\\Tromsø");
    EXPECT_EQ(TRegistryInteger(Context(fresh), "PrePassGap").Value, 12);
    EXPECT_TRUE(TRegistryBoolean(Context(fresh), "ScanWhenIdle").Value);

    std::unique_ptr<IRegistryKey> key;
    ASSERT_EQ(fresh.OpenKey(TRootKey::CurrentUser, "\\" + FKey + "\\", KeyRead, key), ErrorSuccess);
    std::string name;
    ASSERT_EQ(key->EnumKey(0, name), ErrorSuccess);
    EXPECT_EQ(name, "ComPortControl");
    EXPECT_EQ(key->EnumKey(1, name), ErrorNoMoreItems);

    // Every value once, with its type and bytes; a name buffer too small says so.
    std::vector<std::string> names;
    TRegType type = RegNone;
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 0;
         key->EnumValue(i, RegNoLimit, RegNoLimit, name, type, data) == ErrorSuccess; ++i) {
        names.push_back(name);
        if (name == "PrePassGap") {
            EXPECT_EQ(type, RegDword);
            EXPECT_EQ(data, DwordBytes(12));
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"PrePassGap", "ScanWhenIdle", "TleDataPath"}));
    EXPECT_EQ(key->EnumValue(0, 3, RegNoLimit, name, type, data), ErrorMoreData);

    std::uint32_t bytes = 4;
    std::uint8_t small[4];
    EXPECT_EQ(key->QueryValue("TleDataPath", &type, small, &bytes), ErrorMoreData);
    EXPECT_EQ(bytes, Utf16Bytes("C:\\Data\\Tromsø").size());

    std::unique_ptr<IRegistryKey> port;
    ASSERT_EQ(fresh.OpenKey(TRootKey::CurrentUser, FKey + "\\ComPortControl", KeyRead, port),
              ErrorSuccess);
    ASSERT_EQ(QueryValueBytes(*port, "bård", type, data), ErrorSuccess);
    EXPECT_EQ(TextFromUtf16Bytes(data), "COM7");
    EXPECT_EQ(port->SetValue("x", RegSz, Utf16Bytes("y")), ErrorAccessDenied); // opened to read
}

TEST_F(Win32Registry, MissingKeysAndMalformedPathsAnswerWithWindowsCodes) {
    TWin32Registry registry;
    std::unique_ptr<IRegistryKey> key;
    EXPECT_EQ(registry.OpenKey(TRootKey::CurrentUser, FKey, KeyRead, key), ErrorFileNotFound);
    EXPECT_EQ(registry.CreateKey(TRootKey::CurrentUser, "Software\\\\Quillmere", KeyRead, key),
              ErrorInvalidParameter);
    EXPECT_EQ(registry.CreateKey(TRootKey::CurrentUser, FKey + "\\a\tb", KeyRead, key),
              ErrorInvalidParameter);
    EXPECT_EQ(key, nullptr);
}

} // namespace
} // namespace kestrune::test

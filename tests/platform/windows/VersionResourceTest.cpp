// The version resource that windres made from the project's version, read back from this test
// program's own file as the programs read theirs.

#include "platform/windows/VersionResource.h"

#include "platform/windows/Executable.h"
#include "settings/Registry.h"
#include "support/TempDir.h"
#include "version/VersionBlock.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace kestrune::test {
namespace {

TEST(VersionResource, CarriesTheProjectVersionAndStringsAsWindowsReadsThem) {
    const std::vector<std::uint8_t> block = ReadVersionResource(ExecutablePath().string());
    ASSERT_FALSE(block.empty());

    // The block as this program's own query reads it and as VerQueryValueW reads it.
    const std::string path = "\\StringFileInfo\\040904b0\\ProductVersion";
    const auto ours = QueryVersionValue(block, path);
    ASSERT_TRUE(ours.has_value());
    EXPECT_EQ(TextFromUtf16Bytes(ours->Bytes), KESTRUNE_PROJECT_VERSION);
    wchar_t* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\InternalName",
                                 reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::wstring(text), L"kestrune_windows_platform_tests.exe");
    EXPECT_EQ(TextFromUtf16Bytes(QueryVersionValue(block, "\\stringfileinfo\\040904b0\\"
                                                          "Web site")
                                     ->Bytes),
              "https://kestrune.example.org");

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const auto numbers = ParseVersionNumbers(KESTRUNE_PROJECT_VERSION);
    ASSERT_TRUE(numbers.has_value());
    EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>((*numbers)[0] << 16 | (*numbers)[1]));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>((*numbers)[2] << 16 | (*numbers)[3]));
}

TEST(VersionResource, AFileWithoutOneGivesNothing) {
    TTempDir dir;
    EXPECT_TRUE(ReadVersionResource(dir.Write("plain.txt", "no resource").string()).empty());
    EXPECT_TRUE(ReadVersionResource((dir.Path() / "missing.exe").string()).empty());
}

} // namespace
} // namespace kestrune::test

#include "platform/linux/RegistryFile.h"

#include "settings/RegFileFormat.h"
#include "settings/RegistryVariables.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrune::test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view KestruneKey = "Software\\Quillmere\\Kestrune";

std::vector<std::uint8_t> Bytes(std::string_view raw) {
    return {raw.begin(), raw.end()};
}

class HiveFile : public ::testing::Test {
protected:
    fs::path Folder() const { return FDir.Path() / "config" / "Quillmere"; }
    fs::path Hive() const { return Folder() / HiveFileName; }
    std::string HiveText() const { return ReadFileBytes(Hive()); }

    static TRegResult Set(IRegistry& registry, std::string_view name, TRegType type,
                          const std::vector<std::uint8_t>& data) {
        std::unique_ptr<IRegistryKey> key;
        const TRegResult result =
            registry.CreateKey(TRootKey::CurrentUser, KestruneKey, KeyAllAccess, key);
        return result != ErrorSuccess ? result : key->SetValue(name, type, data);
    }
    static std::optional<TRegValue> Get(IRegistry& registry, std::string_view name) {
        std::unique_ptr<IRegistryKey> key;
        TRegValue value{std::string(name), RegNone, {}};
        if (registry.OpenKey(TRootKey::CurrentUser, KestruneKey, KeyRead, key) != ErrorSuccess ||
            QueryValueBytes(*key, name, value.Type, value.Data) != ErrorSuccess)
            return std::nullopt;
        return value;
    }
    std::vector<fs::path> Backups() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(Folder()))
            if (entry.path().filename().string().starts_with("HKEY_CURRENT_USER.reg.damaged-"))
                found.push_back(entry.path());
        return found;
    }
    void WriteHive(const std::string& bytes) const {
        fs::create_directories(Folder());
        FDir.Write("hive", bytes);
        fs::rename(FDir.Path() / "hive", Hive());
    }

    TTempDir FDir;
};

TEST_F(HiveFile, AwkwardNamesAndDataSurviveARoundTrip) {
    const std::vector<TRegValue> values = {
        {"Quote\"And\\Backslash", RegSz, Utf16Bytes("C:\\data\\\"tle\"\\")},
        {"Line\nBreak\r\x01", RegSz, Utf16Bytes("two\r\nlines")},
        {"", RegSz, Utf16Bytes("default value\twith tab")},
        {"\xC3\x9C"
         "ber \xF0\x9F\x9B\xB0",
         RegSz, Utf16Bytes("\xE6\x97\xA5\xE6\x9C\xAC")},
        {"EmptySize", RegSz, {}},
        {"OnlyNul", RegSz, Utf16Bytes("")},
        {"InnerNul", RegSz, Bytes({"a\0\0\0b\0\0\0", 8})},
        {"Odd", RegSz, Bytes({"a\0b", 3})},
        {"Lone", RegSz, Bytes({"\x00\xD8\0\0", 4})},
        {"Expand", RegExpandSz, Utf16Bytes("%HOME%/tle")},
        {"Dword", RegDword, DwordBytes(0xFFFFFFFB)},
        {"ShortDword", RegDword, Bytes("\x01\x02")},
        {"Binary", RegBinary, std::vector<std::uint8_t>(100, 0xAB)},
        {"EmptyBinary", RegBinary, {}},
        {"Odd type", 0x1234ABCD, Bytes("xyz")},
        {"None", RegNone, {}},
        {"@", RegSz, Utf16Bytes("at")},
    };
    {
        TFileRegistry registry(Folder());
        for (const TRegValue& value : values)
            ASSERT_EQ(Set(registry, value.Name, value.Type, value.Data), ErrorSuccess)
                << value.Name;
    }
    TFileRegistry again(Folder());
    for (const TRegValue& value : values)
        EXPECT_EQ(Get(again, value.Name), value) << value.Name;
    const TRegFileContents contents = ParseRegFile(HiveText(), "HKEY_CURRENT_USER");
    EXPECT_FALSE(contents.Damaged);

    const std::string text = HiveText();
    EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\n\n"
                                 "[HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune]\n"
                                 "\"Quote\\\"And\\\\Backslash\"=\"C:\\\\data\\\\\\\"tle\\\"\\\\\"\n"
                                 "\"Line\\x0aBreak\\x0d\\x01\"=hex(1):74,00,77,00,6f,00,0d,00,"))
        << text;
    for (const char* line :
         {"\n@=\"default value\twith tab\"\n", "\n\"EmptySize\"=hex(1):\n", "\n\"OnlyNul\"=\"\"\n",
          "\n\"Dword\"=dword:fffffffb\n", "\n\"ShortDword\"=hex(4):01,02\n",
          "\n\"Odd type\"=hex(1234abcd):78,79,7a\n",
          "\n\"Expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,2f,00,74,00,",
          "\n\"Binary\"=hex:ab,ab,", ",ab,\\\n  ab,ab,", "\n\"None\"=hex(0):\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(HiveFile, ReadsAWindowsExportInUtf16WithCrLfAndContinuedLines) {
    const std::string export_ = "Windows Registry Editor Version 5.00\r\n\r\n"
                                "; exported on Windows\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune]\r\n"
                                "\"TleDataPath\"=\"C:\\\\Tle\"\r\n"
                                "\"PrePassGap\"=dword:0000000c\r\n"
                                "\"SatList\"=hex(2):41,00,\\\r\n  42,00,00,00\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : export_)
        utf16 += {c, '\0'};
    WriteHive(utf16);
    TFileRegistry registry(Folder());
    EXPECT_EQ(Get(registry, "TleDataPath")->Data, Utf16Bytes("C:\\Tle"));
    EXPECT_EQ(Get(registry, "PrePassGap")->Data, DwordBytes(12));
    EXPECT_EQ(*Get(registry, "SatList"), (TRegValue{"SatList", RegExpandSz, Utf16Bytes("AB")}));
    EXPECT_FALSE(ParseRegFile(utf16, "HKEY_CURRENT_USER").Damaged);
}

TEST_F(HiveFile, TwoWritersLoseNeitherValue) {
    TFileRegistry first(Folder());
    TFileRegistry second(Folder());
    ASSERT_EQ(Set(first, "Shared", RegDword, DwordBytes(1)), ErrorSuccess);
    ASSERT_FALSE(Get(second, "Nothing")); // second has read the file now
    ASSERT_EQ(Set(first, "FromFirst", RegDword, DwordBytes(2)), ErrorSuccess);
    ASSERT_EQ(Set(second, "FromSecond", RegDword, DwordBytes(3)), ErrorSuccess);
    ASSERT_EQ(Set(second, "Shared", RegDword, DwordBytes(4)), ErrorSuccess);
    EXPECT_EQ(Get(first, "FromSecond")->Data, DwordBytes(3)); // the file changed: read again

    TFileRegistry third(Folder());
    EXPECT_EQ(Get(third, "FromFirst")->Data, DwordBytes(2));
    EXPECT_EQ(Get(third, "FromSecond")->Data, DwordBytes(3));
    EXPECT_EQ(Get(third, "Shared")->Data, DwordBytes(4));
}

TEST_F(HiveFile, ProcessesWritingAtOnceLoseNothing) {
    constexpr int Processes = 4;
    constexpr int ValuesEach = 15;
    std::vector<pid_t> children;
    for (int p = 0; p < Processes; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TFileRegistry registry(Folder());
            int failures = 0;
            for (int v = 0; v < ValuesEach; ++v)
                failures +=
                    Set(registry, "P" + std::to_string(p) + "V" + std::to_string(v), RegDword,
                        DwordBytes(static_cast<std::uint32_t>(v))) != ErrorSuccess;
            _exit(failures);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    TFileRegistry registry(Folder());
    for (int p = 0; p < Processes; ++p)
        for (int v = 0; v < ValuesEach; ++v)
            EXPECT_TRUE(Get(registry, "P" + std::to_string(p) + "V" + std::to_string(v)));
}

TEST_F(HiveFile, DamagedFileIsUsedAndKeptBesideBeforeTheFirstWrite) {
    const std::string damaged = "Windows Registry Editor Version 5.00\n\n"
                                "[HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune]\n"
                                "\"PrePassGap\"=dword:0000000c\n"
                                "\"Broken\"=dword:xyz\n"
                                "garbage \x01 line\n"
                                "\"TleDataPath\"=\"/srv/tle\"\n"
                                "\"Cut\"=\"no closing quote\n";
    WriteHive(damaged);
    {
        TFileRegistry registry(Folder());
        EXPECT_EQ(Get(registry, "PrePassGap")->Data, DwordBytes(12));
        EXPECT_EQ(Get(registry, "TleDataPath")->Data, Utf16Bytes("/srv/tle"));
        EXPECT_FALSE(Get(registry, "Broken"));
        EXPECT_TRUE(Backups().empty()); // reading alone changes nothing
        ASSERT_EQ(Set(registry, "MinElevation", RegDword, DwordBytes(2)), ErrorSuccess);
        ASSERT_EQ(Backups().size(), 1u);
        EXPECT_EQ(ReadFileBytes(Backups()[0]), damaged);
        ASSERT_EQ(Set(registry, "DaysLookAhead", RegDword, DwordBytes(21)), ErrorSuccess);
        EXPECT_EQ(Backups().size(), 1u);
    }
    EXPECT_FALSE(ParseRegFile(HiveText(), "HKEY_CURRENT_USER").Damaged);
    TFileRegistry again(Folder());
    EXPECT_EQ(Get(again, "PrePassGap")->Data, DwordBytes(12));
    EXPECT_EQ(Get(again, "MinElevation")->Data, DwordBytes(2));
}

TEST_F(HiveFile, MissingFoldersAreCreatedPrivate) {
    {
        TFileRegistry registry(Folder());
        const TSettingsContext context{registry, [] { return std::string("Kestrune"); }};
        const TRegistryString path(context, "TleDataPath", "/srv/tle");
    }
    struct stat status {};
    ASSERT_EQ(stat(Folder().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(Folder().parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(Hive().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(HiveText(), "Windows Registry Editor Version 5.00\n\n"
                          "[HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune]\n"
                          "\"TleDataPath\"=\"/srv/tle\"\n\n");
    EXPECT_FALSE(fs::exists(Hive().string() + ".tmp"));
}

TEST_F(HiveFile, FolderThatIsAFileStoresNothingAndReportsNothing) {
    fs::create_directories(Folder().parent_path());
    FDir.Write("config/Quillmere", "not a folder");
    TFileRegistry registry(Folder());
    EXPECT_EQ(Set(registry, "First", RegDword, DwordBytes(1)), ErrorRegistryIoFailed);
    {
        const TSettingsContext context{registry, [] { return std::string("Kestrune"); }};
        TRegistryInteger gap(context, "PrePassGap", 10);
        EXPECT_EQ(gap.Value, 10);
        gap.Value = 12;
    }
    EXPECT_EQ(ReadFileBytes(Folder()), "not a folder");
}

TEST_F(HiveFile, ChangesThatCouldNotBeWrittenGoWithTheNextWrite) {
    TFileRegistry registry(Folder());
    ASSERT_EQ(Set(registry, "First", RegDword, DwordBytes(1)), ErrorSuccess);
    const std::string before = HiveText();
    const fs::path lock = Hive().string() + ".lock";
    fs::remove(lock);
    fs::create_directory(lock); // the lock cannot be taken: no write can happen
    EXPECT_EQ(Set(registry, "Second", RegDword, DwordBytes(2)), ErrorRegistryIoFailed);
    EXPECT_EQ(Get(registry, "Second")->Data, DwordBytes(2)); // still held in memory
    {
        const TSettingsContext context{registry, [] { return std::string("Kestrune"); }};
        TRegistryInteger third(context, "Third");
        third.Value = 3;
    }
    EXPECT_EQ(HiveText(), before);

    fs::remove(lock);
    ASSERT_EQ(Set(registry, "Fourth", RegDword, DwordBytes(4)), ErrorSuccess);
    TFileRegistry again(Folder());
    for (const auto& [name, number] :
         {std::pair{"First", 1}, {"Second", 2}, {"Third", 3}, {"Fourth", 4}})
        EXPECT_EQ(Get(again, name)->Data, DwordBytes(number)) << name;
}

TEST_F(HiveFile, FailedWriteLeavesTheFileAsItWas) {
    TFileRegistry registry(Folder());
    ASSERT_EQ(Set(registry, "Kept", RegDword, DwordBytes(1)), ErrorSuccess);
    const std::string before = HiveText();
    fs::create_directory(Hive().string() + ".tmp"); // the temporary file cannot be made
    EXPECT_EQ(Set(registry, "Lost", RegDword, DwordBytes(2)), ErrorRegistryIoFailed);
    EXPECT_EQ(HiveText(), before);
}

TEST_F(HiveFile, UnreadableHiveIsNeverReplaced) {
    fs::create_directories(Hive()); // a folder where the file should be
    TFileRegistry registry(Folder());
    EXPECT_FALSE(Get(registry, "Anything"));
    EXPECT_NE(Set(registry, "Value", RegDword, DwordBytes(1)), ErrorSuccess);
    EXPECT_TRUE(fs::is_directory(Hive()));
}

TEST_F(HiveFile, AFifoOrAHugeFileIsRefusedAtOnceNamingTheFileAndTheReason) {
    fs::create_directories(Folder());
    ASSERT_EQ(mkfifo(Hive().c_str(), 0600), 0); // nobody will ever write into it
    {
        TFileRegistry registry(Folder());
        EXPECT_FALSE(Get(registry, "Anything")); // returns: the open does not wait for a writer
        EXPECT_EQ(registry.ReadProblem(), "Cannot read the settings file \"" + Hive().string() +
                                              "\": not a regular file; the defaults are used");
    }
    fs::remove(Hive());
    WriteHive("Windows Registry Editor Version 5.00\r\n");
    fs::resize_file(Hive(), 17 * 1024 * 1024);
    TFileRegistry registry(Folder());
    EXPECT_FALSE(Get(registry, "Anything"));
    EXPECT_EQ(registry.ReadProblem(), "Cannot read the settings file \"" + Hive().string() +
                                          "\": larger than 16 MiB; the defaults are used");
    fs::resize_file(Hive(), 100);
    EXPECT_FALSE(Get(registry, "Anything"));
    EXPECT_EQ(registry.ReadProblem(), "");
}

TEST_F(HiveFile, ReadOnlyFolderByPermissions) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root; the cases above cover a failing folder";
    TFileRegistry registry(Folder());
    ASSERT_EQ(Set(registry, "Kept", RegDword, DwordBytes(1)), ErrorSuccess);
    const std::string before = HiveText();
    fs::permissions(Folder(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(Set(registry, "Refused", RegDword, DwordBytes(2)), ErrorAccessDenied);
    fs::permissions(Folder(), fs::perms::owner_all);
    EXPECT_EQ(HiveText(), before);
}

TEST_F(HiveFile, SymbolicLinkToTheHiveStaysALink) {
    fs::create_directories(Folder());
    const fs::path real = FDir.Path() / "dotfiles.reg";
    FDir.Write("dotfiles.reg", "");
    fs::create_symlink(real, Hive());
    TFileRegistry registry(Folder());
    ASSERT_EQ(Set(registry, "Linked", RegDword, DwordBytes(1)), ErrorSuccess);
    EXPECT_TRUE(fs::is_symlink(Hive()));
    EXPECT_NE(ReadFileBytes(real).find("\"Linked\"=dword:00000001"), std::string::npos);
}

TEST(RegistryFolder, FollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
    EXPECT_EQ(DefaultRegistryFolder(), fs::path("/tmp/xdg-test/Quillmere"));
    setenv("XDG_CONFIG_HOME", "relative", 1); // not absolute: ignored
    EXPECT_EQ(DefaultRegistryFolder(), fs::path(std::getenv("HOME")) / ".config" / "Quillmere");
    if (saved != nullptr)
        setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace kestrune::test

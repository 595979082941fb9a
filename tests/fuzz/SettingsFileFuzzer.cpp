// Arbitrary bytes as the user's hive file; every key and value is read through the registry,
// one value is written, and the file is read again by a fresh registry. The write must
// succeed, everything readable before it must still be there after it unchanged, the new file
// must parse cleanly, and a file that did not parse must have been kept beside it.

#include "platform/linux/RegistryFile.h"
#include "settings/RegFileFormat.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>

namespace {

using namespace kestrune;
namespace fs = std::filesystem;

constexpr std::string_view WrittenKey = "Software\\Quillmere\\Kestrune";
constexpr std::string_view WrittenName = "FuzzWrite";

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "settings fuzzer: %s\n", what);
        std::abort();
    }
}

// One folder for the whole run, in memory where the machine has such a file system.
struct TFuzzFolder {
    fs::path Path;
    TFuzzFolder() {
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        Path = base / ("kestrune-settings-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(Path);
    }
    ~TFuzzFolder() {
        std::error_code ignored;
        fs::remove_all(Path, ignored);
    }
};

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every key (as "path\") and every value (as "path\" + NUL + name) of HKEY_CURRENT_USER,
// folded to lower case as the registry compares them, with the value's type and bytes.
using TSnapshot = std::map<std::string, TRegValue>;

std::string Folded(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

TSnapshot ReadEverything(IRegistry& registry) {
    TSnapshot snapshot;
    std::vector<std::string> paths{""};
    while (!paths.empty()) {
        const std::string path = paths.back();
        paths.pop_back();
        std::unique_ptr<IRegistryKey> key;
        Check(registry.OpenKey(TRootKey::CurrentUser, path, KeyRead, key) == ErrorSuccess,
              "a key that was listed does not open");
        snapshot[Folded(path + '\\')] = TRegValue{path, RegNone, {}};
        std::string name;
        for (std::uint32_t index = 0; key->EnumKey(index, name) == ErrorSuccess; ++index)
            paths.push_back(path.empty() ? name : path + '\\' + name);
        TRegValue value;
        for (std::uint32_t index = 0; key->EnumValue(index, RegNoLimit, RegNoLimit, value.Name,
                                                     value.Type, value.Data) == ErrorSuccess;
             ++index) {
            std::uint32_t size = 0;
            TRegType type = RegNone;
            Check(key->QueryValue(value.Name, &type, nullptr, &size) == ErrorSuccess &&
                      type == value.Type && size == value.Data.size(),
                  "a listed value does not answer its query");
            snapshot[Folded(path + '\\') + '\0' + Folded(value.Name)] = value;
        }
    }
    return snapshot;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TFuzzFolder folder;
    for (const auto& entry : fs::directory_iterator(folder.Path))
        fs::remove_all(entry.path());
    const std::string input(reinterpret_cast<const char*>(data), size);
    const fs::path hive = folder.Path / HiveFileName;
    std::ofstream(hive, std::ios::binary) << input;
    const fs::path noSysfs = folder.Path / "no-sysfs";

    TSnapshot before;
    {
        TFileRegistry registry(folder.Path, noSysfs);
        before = ReadEverything(registry);
        std::unique_ptr<IRegistryKey> key;
        Check(registry.CreateKey(TRootKey::CurrentUser, WrittenKey, KeyAllAccess, key) ==
                  ErrorSuccess,
              "the key cannot be created");
        Check(key->SetValue(WrittenName, RegSz, Utf16Bytes("written")) == ErrorSuccess,
              "the value cannot be written");
    }

    TFileRegistry again(folder.Path, noSysfs);
    const TSnapshot after = ReadEverything(again);
    const std::string writtenEntry =
        Folded(std::string(WrittenKey) + '\\') + '\0' + Folded(std::string(WrittenName));
    for (const auto& [entry, value] : before)
        if (entry != writtenEntry) {
            const auto found = after.find(entry);
            Check(found != after.end(), "something readable before the write is gone");
            Check(found->second.Type == value.Type && found->second.Data == value.Data,
                  "something readable before the write has changed");
        }
    const auto written = after.find(writtenEntry);
    Check(written != after.end() && written->second.Data == Utf16Bytes("written"),
          "the written value is not there");
    Check(!ParseRegFile(ReadBytes(hive), "HKEY_CURRENT_USER").Damaged,
          "the file written does not parse cleanly");

    std::vector<fs::path> backups;
    for (const auto& entry : fs::directory_iterator(folder.Path))
        if (entry.path().filename().string().starts_with("HKEY_CURRENT_USER.reg.damaged-"))
            backups.push_back(entry.path());
    if (ParseRegFile(input, "HKEY_CURRENT_USER").Damaged)
        Check(backups.size() == 1 && ReadBytes(backups[0]) == input,
              "a damaged file was not kept as it was");
    else
        Check(backups.empty(), "a clean file was kept as damaged");
    return 0;
}

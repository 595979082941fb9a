#pragma once
// Tests that run against both registries: the in-memory one, and the hive file in a temporary
// folder, which Restart replaces by a fresh object over the same file, as a new run would.

#include "platform/linux/RegistryFile.h"
#include "settings/MemoryRegistry.h"
#include "settings/RegistryVariables.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

namespace kestrune::test {

class THiveTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { Restart(); }

    // A new run: the file registry forgets everything it holds in memory.
    void Restart() {
        if (GetParam() == "file")
            FRegistry = std::make_unique<TFileRegistry>(FDir.Path() / "Quillmere",
                                                        FDir.Path() / "no-sysfs");
        else if (FRegistry == nullptr)
            FRegistry = std::make_unique<TMemoryRegistry>();
    }

    IRegistry& Registry() { return *FRegistry; }
    TSettingsContext Context() {
        return {*FRegistry, [this] { return FExecutable; }};
    }

    // Writes a value as another program (or the user) would.
    void Store(std::string_view path, std::string_view name, TRegType type,
               const std::vector<std::uint8_t>& data) {
        std::unique_ptr<IRegistryKey> key;
        ASSERT_EQ(Registry().CreateKey(TRootKey::CurrentUser, path, KeyAllAccess, key),
                  ErrorSuccess);
        ASSERT_EQ(key->SetValue(name, type, data), ErrorSuccess);
    }

    std::optional<TRegValue> Stored(std::string_view path, std::string_view name) {
        std::unique_ptr<IRegistryKey> key;
        TRegValue value{std::string(name), RegNone, {}};
        if (Registry().OpenKey(TRootKey::CurrentUser, path, KeyRead, key) != ErrorSuccess ||
            QueryValueBytes(*key, name, value.Type, value.Data) != ErrorSuccess)
            return std::nullopt;
        return value;
    }

    TTempDir FDir;
    std::string FExecutable = "/opt/kestrune/Kestrune";

private:
    std::unique_ptr<IRegistry> FRegistry;
};

inline std::string HiveName(const ::testing::TestParamInfo<std::string>& info) {
    return info.param;
}

#define KESTRUNE_ON_BOTH_HIVES(Suite)                                                              \
    INSTANTIATE_TEST_SUITE_P(Hives, Suite, ::testing::Values("memory", "file"), HiveName)

} // namespace kestrune::test

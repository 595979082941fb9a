#pragma once
// Settings bound to one registry value each: read once when created (keeping the default on any
// failure), changed in memory by their owner, written once when destroyed. No registry failure
// is ever reported and none stops the program.

#include "settings/Registry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace kestrune {

// The maker segment of every key path ("Quillmere"), and the root key that setting objects
// copy when they are created (HKEY_CURRENT_USER).
extern std::string RegistryCompany;
extern TRootKey RegistryRootKey;

// What setting objects need from their surroundings: the registry, and the running
// executable's file name (a full path will do), asked afresh for every object created.
struct TSettingsContext {
    IRegistry& Registry;
    std::function<std::string()> ExecutableName;
};

// The executable's name without its folder and without its last extension: "Kestrune" for
// "/opt/kestrune/Kestrune" and for "Kestrune.exe".
std::string ProgramSegment(std::string_view executableName);

class TRegistryVariable {
public:
    virtual ~TRegistryVariable() = default;
    TRegistryVariable(const TRegistryVariable&) = delete;
    TRegistryVariable& operator=(const TRegistryVariable&) = delete;

    // Writes the value; never fails.
    virtual void Save() noexcept = 0;

    const std::string& ValueName() const { return FValueName; }
    // "\Software\" + RegistryCompany + "\" + program segment.
    const std::string& KeyPath() const { return FKeyPath; }
    TRootKey RootKey() const { return FRootKey; }

protected:
    TRegistryVariable(const TSettingsContext& context, std::string valueName);

    // Runs read on the key when it exists and opens with all access rights; every failure
    // inside is swallowed.
    void Load(const std::function<void(IRegistryKey& key)>& read) noexcept;
    // Opens the key with all access rights, creating it and missing parents, and writes the
    // value; every failure is swallowed.
    void Write(TRegType type, std::span<const std::uint8_t> data) noexcept;

private:
    IRegistry& FRegistry;
    std::string FValueName;
    std::string FKeyPath;
    TRootKey FRootKey;
};

// Written as REG_DWORD 1 or 0; read from a REG_DWORD, any number but 0 being true.
class TRegistryBoolean : public TRegistryVariable {
public:
    TRegistryBoolean(const TSettingsContext& context, std::string valueName,
                     bool defaultValue = false);
    ~TRegistryBoolean() override;
    void Save() noexcept override;

    bool Value;
};

// Written as REG_DWORD; read from a REG_DWORD of 4 bytes.
class TRegistryInteger : public TRegistryVariable {
public:
    TRegistryInteger(const TSettingsContext& context, std::string valueName,
                     std::int32_t defaultValue = 0);
    ~TRegistryInteger() override;
    void Save() noexcept override;

    std::int32_t Value;
};

// Written as REG_SZ; read from REG_SZ or REG_EXPAND_SZ (taken as stored, not expanded), up to
// the first NUL.
class TRegistryString : public TRegistryVariable {
public:
    TRegistryString(const TSettingsContext& context, std::string valueName,
                    std::string defaultValue = {});
    ~TRegistryString() override;
    void Save() noexcept override;

    std::string Value;
};

// The text of a string value under HKEY_CURRENT_USER "\Software\" + RegistryCompany + "\" +
// programName, read as TRegistryString reads; the empty text on any failure.
std::string ReadProgramSetting(IRegistry& registry, std::string_view programName,
                               std::string_view valueName);
// The sibling tracking program's setting: ReadProgramSetting for "Zenolith".
std::string ReadZenolithSetting(IRegistry& registry, std::string_view valueName);

} // namespace kestrune

#include "settings/RegistryVariables.h"

#include <vector>

namespace kestrune {

std::string RegistryCompany = "Quillmere";
TRootKey RegistryRootKey = TRootKey::CurrentUser;

namespace {

std::string CompanyKeyPath(std::string_view programSegment) {
    return "\\Software\\" + RegistryCompany + "\\" + std::string(programSegment);
}

// The key opened with all access rights but not created, after testing that it exists; null
// when either fails.
std::unique_ptr<IRegistryKey> OpenForRead(IRegistry& registry, TRootKey root,
                                          std::string_view path) {
    std::unique_ptr<IRegistryKey> key;
    if (KeyExists(registry, root, path))
        registry.OpenKey(root, path, KeyAllAccess, key);
    return key;
}

// A REG_DWORD of exactly 4 bytes. A shorter one would leave part of the number undefined, so it
// fails like a longer one.
bool ReadDword(IRegistryKey& key, std::string_view name, std::uint32_t& value) {
    std::uint8_t buffer[4];
    std::uint32_t size = sizeof buffer;
    TRegType type = RegNone;
    if (key.QueryValue(name, &type, buffer, &size) != ErrorSuccess || type != RegDword ||
        size != sizeof buffer)
        return false;
    value = DwordFromBytes(buffer);
    return true;
}

// A REG_SZ or REG_EXPAND_SZ, taken up to its first NUL; a size of 0 is the empty text. The type
// is checked before the size, so that an empty value of another type fails too.
bool ReadText(IRegistryKey& key, std::string_view name, std::string& text) {
    TRegType type = RegNone;
    std::uint32_t size = 0;
    if (key.QueryValue(name, &type, nullptr, &size) != ErrorSuccess)
        return false;
    if (type != RegSz && type != RegExpandSz)
        return false;
    std::vector<std::uint8_t> data;
    if (QueryValueBytes(key, name, type, data) != ErrorSuccess ||
        (type != RegSz && type != RegExpandSz))
        return false;
    text = TextFromUtf16Bytes(data);
    return true;
}

} // namespace

std::string ProgramSegment(std::string_view executableName) {
    // Either separator: a Windows path (C:\Kestrune\Kestrune.exe) has backslashes.
    if (const auto slash = executableName.find_last_of("/\\"); slash != std::string_view::npos)
        executableName.remove_prefix(slash + 1);
    return std::string(executableName.substr(0, executableName.rfind('.')));
}

TRegistryVariable::TRegistryVariable(const TSettingsContext& context, std::string valueName)
    : FRegistry(context.Registry), FValueName(std::move(valueName)),
      FKeyPath(CompanyKeyPath(ProgramSegment(context.ExecutableName()))),
      FRootKey(RegistryRootKey) {}

void TRegistryVariable::Load(const std::function<void(IRegistryKey& key)>& read) noexcept {
    try {
        if (const auto key = OpenForRead(FRegistry, FRootKey, FKeyPath))
            read(*key);
    } catch (...) {
        // The default stays.
    }
}

void TRegistryVariable::Write(TRegType type, std::span<const std::uint8_t> data) noexcept {
    try {
        std::unique_ptr<IRegistryKey> key;
        if (FRegistry.CreateKey(FRootKey, FKeyPath, KeyAllAccess, key) == ErrorSuccess)
            key->SetValue(FValueName, type, data);
    } catch (...) {
        // The value is not stored.
    }
}

TRegistryBoolean::TRegistryBoolean(const TSettingsContext& context, std::string valueName,
                                   bool defaultValue)
    : TRegistryVariable(context, std::move(valueName)), Value(defaultValue) {
    Load([this](IRegistryKey& key) {
        std::uint32_t stored = 0;
        if (ReadDword(key, ValueName(), stored))
            Value = stored != 0;
    });
}

TRegistryBoolean::~TRegistryBoolean() {
    Save();
}

void TRegistryBoolean::Save() noexcept {
    Write(RegDword, DwordBytes(Value ? 1 : 0));
}

TRegistryInteger::TRegistryInteger(const TSettingsContext& context, std::string valueName,
                                   std::int32_t defaultValue)
    : TRegistryVariable(context, std::move(valueName)), Value(defaultValue) {
    Load([this](IRegistryKey& key) {
        std::uint32_t stored = 0;
        if (ReadDword(key, ValueName(), stored))
            Value = static_cast<std::int32_t>(stored);
    });
}

TRegistryInteger::~TRegistryInteger() {
    Save();
}

void TRegistryInteger::Save() noexcept {
    Write(RegDword, DwordBytes(static_cast<std::uint32_t>(Value)));
}

TRegistryString::TRegistryString(const TSettingsContext& context, std::string valueName,
                                 std::string defaultValue)
    : TRegistryVariable(context, std::move(valueName)), Value(std::move(defaultValue)) {
    Load([this](IRegistryKey& key) { ReadText(key, ValueName(), Value); });
}

TRegistryString::~TRegistryString() {
    Save();
}

void TRegistryString::Save() noexcept {
    Write(RegSz, Utf16Bytes(Value));
}

std::string ReadProgramSetting(IRegistry& registry, std::string_view programName,
                               std::string_view valueName) {
    std::string text;
    try {
        const auto key = OpenForRead(registry, TRootKey::CurrentUser, CompanyKeyPath(programName));
        if (key == nullptr || !ReadText(*key, valueName, text))
            text.clear();
    } catch (...) {
        text.clear();
    }
    return text;
}

std::string ReadZenolithSetting(IRegistry& registry, std::string_view valueName) {
    return ReadProgramSetting(registry, "Zenolith", valueName);
}

} // namespace kestrune

#include "platform/windows/Win32Registry.h"

#include "platform/windows/WideText.h"

#include <algorithm>
#include <windows.h>

namespace kestrune {

namespace {

class TWin32RegistryKey final : public IRegistryKey {
public:
    explicit TWin32RegistryKey(HKEY key) : FKey(key) {}
    ~TWin32RegistryKey() override { ::RegCloseKey(FKey); }
    TWin32RegistryKey(const TWin32RegistryKey&) = delete;
    TWin32RegistryKey& operator=(const TWin32RegistryKey&) = delete;

    TRegResult QueryValue(std::string_view name, TRegType* type, std::uint8_t* data,
                          std::uint32_t* size) override {
        DWORD valueType = 0;
        DWORD valueSize = size != nullptr ? *size : 0;
        const LSTATUS result =
            ::RegQueryValueExW(FKey, WideFromUtf8(name).c_str(), nullptr, &valueType, data,
                               size != nullptr ? &valueSize : nullptr);
        if (type != nullptr && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA))
            *type = valueType;
        if (size != nullptr && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA))
            *size = valueSize;
        return result;
    }

    TRegResult SetValue(std::string_view name, TRegType type,
                        std::span<const std::uint8_t> data) override {
        return ::RegSetValueExW(FKey, WideFromUtf8(name).c_str(), 0, type, data.data(),
                                static_cast<DWORD>(data.size()));
    }

    TRegResult DeleteValue(std::string_view name) override {
        return ::RegDeleteValueW(FKey, WideFromUtf8(name).c_str());
    }

    TRegResult EnumValue(std::uint32_t index, std::uint32_t nameCapacity,
                         std::uint32_t dataCapacity, std::string& name, TRegType& type,
                         std::vector<std::uint8_t>& data) override {
        DWORD longestName = 0;
        DWORD longestData = 0;
        const LSTATUS info =
            ::RegQueryInfoKeyW(FKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &longestName, &longestData, nullptr, nullptr);
        if (info != ERROR_SUCCESS)
            return info;
        // Buffers as large as the caller's, and never larger than the key's longest value
        // needs (which an unlimited caller gets).
        std::wstring nameBuffer(std::min<std::uint32_t>(nameCapacity, longestName + 1), L'\0');
        data.assign(std::min<std::uint32_t>(dataCapacity, longestData), 0);
        DWORD nameLength = static_cast<DWORD>(nameBuffer.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD valueType = 0;
        const LSTATUS result = ::RegEnumValueW(FKey, index, nameBuffer.data(), &nameLength, nullptr,
                                               &valueType, data.data(), &dataSize);
        if (result != ERROR_SUCCESS)
            return result;
        name = Utf8FromWide(std::wstring_view(nameBuffer.data(), nameLength));
        type = valueType;
        data.resize(dataSize);
        return ERROR_SUCCESS;
    }

    TRegResult EnumKey(std::uint32_t index, std::string& name) override {
        wchar_t buffer[256]; // a key name has at most 255 characters
        DWORD length = 256;
        const LSTATUS result =
            ::RegEnumKeyExW(FKey, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS)
            name = Utf8FromWide(std::wstring_view(buffer, length));
        return result;
    }

private:
    const HKEY FKey;
};

HKEY RootHandle(TRootKey root) {
    return root == TRootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The path without one leading and one trailing "\", or nothing when a part is empty or holds
// a control character (which Windows would take, making keys no one can type).
bool NormalPath(std::string_view path, std::wstring& normal) {
    if (path.starts_with('\\'))
        path.remove_prefix(1);
    if (path.ends_with('\\'))
        path.remove_suffix(1);
    if (path.find("\\\\") != std::string_view::npos ||
        std::any_of(path.begin(), path.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return false;
    normal = WideFromUtf8(path);
    return true;
}

} // namespace

TRegResult TWin32Registry::OpenKey(TRootKey root, std::string_view path, TRegSam access,
                                   std::unique_ptr<IRegistryKey>& key) {
    std::wstring normal;
    if (!NormalPath(path, normal))
        return ErrorInvalidParameter;
    HKEY handle = nullptr;
    const LSTATUS result = ::RegOpenKeyExW(RootHandle(root), normal.c_str(), 0, access, &handle);
    if (result == ERROR_SUCCESS)
        key = std::make_unique<TWin32RegistryKey>(handle);
    return result;
}

TRegResult TWin32Registry::CreateKey(TRootKey root, std::string_view path, TRegSam access,
                                     std::unique_ptr<IRegistryKey>& key) {
    std::wstring normal;
    if (!NormalPath(path, normal))
        return ErrorInvalidParameter;
    HKEY handle = nullptr;
    const LSTATUS result =
        ::RegCreateKeyExW(RootHandle(root), normal.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          access, nullptr, &handle, nullptr);
    if (result == ERROR_SUCCESS)
        key = std::make_unique<TWin32RegistryKey>(handle);
    return result;
}

} // namespace kestrune

#include "settings/Registry.h"

#include "core/Text.h"

namespace kestrune {

namespace {

void AppendUnit(std::vector<std::uint8_t>& data, char32_t unit) {
    data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    data.push_back(static_cast<std::uint8_t>(unit >> 8));
}

} // namespace

bool KeyExists(IRegistry& registry, TRootKey root, std::string_view path) {
    std::unique_ptr<IRegistryKey> key;
    return registry.OpenKey(root, path, KeyQueryValue | KeyEnumerateSubKeys | ReadControl, key) ==
           ErrorSuccess;
}

TRegResult QueryValueBytes(IRegistryKey& key, std::string_view name, TRegType& type,
                           std::vector<std::uint8_t>& data) {
    for (;;) {
        std::uint32_t size = 0;
        TRegResult result = key.QueryValue(name, &type, nullptr, &size);
        if (result != ErrorSuccess)
            return result;
        data.resize(size);
        result = key.QueryValue(name, &type, data.data(), &size);
        if (result != ErrorMoreData) { // ErrorMoreData: it grew in between, so ask again
            data.resize(size);
            return result;
        }
    }
}

std::vector<std::uint8_t> Utf16Bytes(std::string_view text) {
    std::vector<std::uint8_t> data;
    data.reserve(text.size() * 2 + 2);
    for (const char16_t unit : Utf16FromUtf8(text))
        AppendUnit(data, unit);
    AppendUnit(data, 0);
    return data;
}

std::string TextFromUtf16Bytes(std::span<const std::uint8_t> data) {
    std::u16string units;
    for (std::size_t k = 0; k + 1 < data.size(); k += 2) {
        const auto unit = static_cast<char16_t>(data[k] | (data[k + 1] << 8));
        if (unit == 0)
            break;
        units += unit;
    }
    return Utf8FromUtf16(units);
}

std::size_t Utf16Length(std::string_view text) {
    return Utf16Bytes(text).size() / 2 - 1;
}

std::vector<std::uint8_t> DwordBytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::uint32_t DwordFromBytes(std::span<const std::uint8_t> data) {
    return data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
}

} // namespace kestrune

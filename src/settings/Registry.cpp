#include "settings/Registry.h"

namespace kestrune {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// The code point starting at text[i], advancing i; a byte that does not start a well-formed
// UTF-8 sequence gives U+FFFD and is passed over alone.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return Replacement;
    }
    if (i + length > text.size()) {
        ++i;
        return Replacement;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return Replacement;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return Replacement;
    }
    i += length;
    return code;
}

void AppendUtf8(std::string& text, char32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

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
    for (std::size_t i = 0; i < text.size();) {
        const char32_t code = NextCodePoint(text, i);
        if (code >= 0x10000) {
            AppendUnit(data, 0xD800 + ((code - 0x10000) >> 10));
            AppendUnit(data, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            AppendUnit(data, code);
        }
    }
    AppendUnit(data, 0);
    return data;
}

std::string TextFromUtf16Bytes(std::span<const std::uint8_t> data) {
    std::string text;
    const std::size_t units = data.size() / 2;
    const auto unitAt = [&](std::size_t k) -> char32_t {
        return data[2 * k] | (data[2 * k + 1] << 8);
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char32_t unit = unitAt(k);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < units && unitAt(k + 1) >= 0xDC00 &&
            unitAt(k + 1) <= 0xDFFF) {
            AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(k + 1) - 0xDC00));
            ++k;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(text, Replacement);
        } else {
            AppendUtf8(text, unit);
        }
    }
    return text;
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

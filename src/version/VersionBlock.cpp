#include "version/VersionBlock.h"

#include "settings/Registry.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace kestrune {

namespace {

constexpr std::uint16_t BinaryType = 0;
constexpr std::uint16_t TextType = 1;
constexpr std::size_t HeaderBytes = 6; // wLength, wValueLength, wType

constexpr std::uint32_t FixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t FixedInfoStructVersion = 0x00010000;
constexpr std::uint32_t FixedInfoFlagsMask = 0x3F; // VS_FFI_FILEFLAGSMASK
constexpr std::uint32_t FileOsUnknown = 0;         // VOS_UNKNOWN: none of the Windows kinds
constexpr std::uint32_t FileTypeApp = 1;           // VFT_APP

constexpr std::size_t Align4(std::size_t offset) {
    return (offset + 3) & ~std::size_t{3};
}

void AppendWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendDword(std::vector<std::uint8_t>& out, std::uint32_t value) {
    AppendWord(out, static_cast<std::uint16_t>(value));
    AppendWord(out, static_cast<std::uint16_t>(value >> 16));
}

void PadTo4(std::vector<std::uint8_t>& out) {
    out.resize(Align4(out.size()), 0);
}

std::uint16_t ReadWord(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// One node: header, key with its NUL, padding, value, then each child on a 32-bit boundary.
// wLength counts everything up to the end of the last child, not the padding after it.
std::vector<std::uint8_t> Node(std::string_view key, std::uint16_t type,
                               std::span<const std::uint8_t> value, std::uint16_t valueLength,
                               const std::vector<std::vector<std::uint8_t>>& children = {}) {
    std::vector<std::uint8_t> out(HeaderBytes, 0);
    const std::vector<std::uint8_t> keyUnits = Utf16Bytes(key);
    out.insert(out.end(), keyUnits.begin(), keyUnits.end());
    PadTo4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const auto& child : children) {
        PadTo4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    if (out.size() > 0xFFFF)
        throw std::length_error("a version block node is longer than 65535 bytes");
    out[0] = static_cast<std::uint8_t>(out.size());
    out[1] = static_cast<std::uint8_t>(out.size() >> 8);
    out[2] = static_cast<std::uint8_t>(valueLength);
    out[3] = static_cast<std::uint8_t>(valueLength >> 8);
    out[4] = static_cast<std::uint8_t>(type);
    out[5] = static_cast<std::uint8_t>(type >> 8);
    return out;
}

std::vector<std::uint8_t> FixedFileInfo(const TVersionBlockContents& contents) {
    const auto high = [](const std::array<std::uint16_t, 4>& v) {
        return static_cast<std::uint32_t>(v[0]) << 16 | v[1];
    };
    const auto low = [](const std::array<std::uint16_t, 4>& v) {
        return static_cast<std::uint32_t>(v[2]) << 16 | v[3];
    };
    std::vector<std::uint8_t> out;
    AppendDword(out, FixedInfoSignature);
    AppendDword(out, FixedInfoStructVersion);
    AppendDword(out, high(contents.FileVersion));
    AppendDword(out, low(contents.FileVersion));
    AppendDword(out, high(contents.ProductVersion));
    AppendDword(out, low(contents.ProductVersion));
    AppendDword(out, FixedInfoFlagsMask);
    AppendDword(out, 0); // file flags: a release build
    AppendDword(out, FileOsUnknown);
    AppendDword(out, FileTypeApp);
    AppendDword(out, 0); // file subtype
    AppendDword(out, 0); // file date, high
    AppendDword(out, 0); // file date, low
    return out;
}

// A node as it lies in a block, with offsets into the whole block.
struct TNode {
    std::size_t End = 0;
    std::size_t KeyBegin = 0;
    std::size_t KeyEnd = 0; // at the key's NUL
    std::size_t ValueBegin = 0;
    std::size_t ValueEnd = 0;
    std::size_t ChildrenBegin = 0;
    std::uint16_t ValueLength = 0;
    std::uint16_t Type = 0;
};

// The node at begin, which must lie within limit; nullopt when its header or key does not.
std::optional<TNode> ParseNode(std::span<const std::uint8_t> block, std::size_t begin,
                               std::size_t limit) {
    if (limit > block.size() || begin > limit || limit - begin < HeaderBytes)
        return std::nullopt;
    const std::size_t length = ReadWord(block, begin);
    if (length < HeaderBytes || length > limit - begin)
        return std::nullopt;
    TNode node;
    node.End = begin + length;
    node.ValueLength = ReadWord(block, begin + 2);
    node.Type = ReadWord(block, begin + 4);
    node.KeyBegin = begin + HeaderBytes;
    std::size_t at = node.KeyBegin;
    while (at + 2 <= node.End && ReadWord(block, at) != 0)
        at += 2;
    if (at + 2 > node.End)
        return std::nullopt;
    node.KeyEnd = at;
    node.ValueBegin = std::min(Align4(at + 2), node.End);
    const std::size_t valueBytes =
        node.Type == TextType ? std::size_t{node.ValueLength} * 2 : node.ValueLength;
    node.ValueEnd = std::min(node.ValueBegin + valueBytes, node.End);
    node.ChildrenBegin = std::min(Align4(node.ValueEnd), node.End);
    return node;
}

char16_t FoldAscii(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

// Whether the node's key is the name (UTF-16LE with its NUL), ASCII letters in either case.
bool KeyMatches(std::span<const std::uint8_t> block, const TNode& node,
                const std::vector<std::uint8_t>& name) {
    const std::size_t keyBytes = node.KeyEnd - node.KeyBegin;
    if (keyBytes + 2 != name.size())
        return false;
    for (std::size_t i = 0; i < keyBytes; i += 2) {
        if (FoldAscii(ReadWord(block, node.KeyBegin + i)) != FoldAscii(ReadWord(name, i)))
            return false;
    }
    return true;
}

std::optional<TNode> FindChild(std::span<const std::uint8_t> block, const TNode& parent,
                               std::string_view name) {
    const std::vector<std::uint8_t> nameUnits = Utf16Bytes(name);
    std::size_t at = parent.ChildrenBegin;
    while (at < parent.End) {
        const auto child = ParseNode(block, at, parent.End);
        if (!child)
            return std::nullopt;
        if (KeyMatches(block, *child, nameUnits))
            return child;
        at = Align4(child->End);
    }
    return std::nullopt;
}

} // namespace

std::vector<std::uint8_t> BuildVersionBlock(const TVersionBlockContents& contents) {
    char tableKey[9];
    std::snprintf(tableKey, sizeof tableKey, contents.UpperCaseTableKey ? "%04X%04X" : "%04x%04x",
                  unsigned{contents.Language}, unsigned{contents.CodePage});

    std::vector<std::vector<std::uint8_t>> strings;
    for (const auto& [name, value] : contents.Strings) {
        const std::vector<std::uint8_t> text = Utf16Bytes(value);
        strings.push_back(Node(name, TextType, text, static_cast<std::uint16_t>(text.size() / 2)));
    }
    std::vector<std::vector<std::uint8_t>> sections;
    sections.push_back(
        Node("StringFileInfo", TextType, {}, 0, {Node(tableKey, TextType, {}, 0, strings)}));
    if (contents.WithTranslationTable) {
        std::vector<std::uint8_t> translation;
        AppendWord(translation, contents.Language);
        AppendWord(translation, contents.CodePage);
        sections.push_back(Node("VarFileInfo", TextType, {}, 0,
                                {Node("Translation", BinaryType, translation,
                                      static_cast<std::uint16_t>(translation.size()))}));
    }
    const std::vector<std::uint8_t> fixed = FixedFileInfo(contents);
    return Node("VS_VERSION_INFO", BinaryType, fixed, static_cast<std::uint16_t>(fixed.size()),
                sections);
}

std::optional<std::array<std::uint16_t, 4>> ParseVersionNumbers(std::string_view text) {
    std::array<std::uint16_t, 4> numbers{};
    std::size_t count = 0;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (true) {
        if (count == numbers.size() || at == end || *at < '0' || *at > '9')
            return std::nullopt;
        const auto [next, error] = std::from_chars(at, end, numbers[count]);
        if (error != std::errc())
            return std::nullopt;
        ++count;
        if (next == end)
            return numbers;
        if (*next != '.')
            return std::nullopt;
        at = next + 1;
    }
}

std::optional<TVersionValue> QueryVersionValue(std::span<const std::uint8_t> block,
                                               std::string_view subBlock) {
    auto node = ParseNode(block, 0, block.size());
    std::size_t at = subBlock.find_first_not_of('\\');
    while (node && at != std::string_view::npos) {
        const std::size_t slash = subBlock.find('\\', at);
        const std::string_view name = subBlock.substr(at, slash - at);
        if (name.empty())
            return std::nullopt;
        node = FindChild(block, *node, name);
        at = slash == std::string_view::npos ? slash : slash + 1;
    }
    if (!node)
        return std::nullopt;
    return TVersionValue{block.subspan(node->ValueBegin, node->ValueEnd - node->ValueBegin),
                         node->ValueLength, node->Type == TextType};
}

} // namespace kestrune

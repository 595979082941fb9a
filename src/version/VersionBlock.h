#pragma once
// The program's version block in the Windows VS_VERSIONINFO layout: a VS_FIXEDFILEINFO with the
// version numbers, a StringFileInfo with one string table keyed by the translation ("040904b0")
// and a VarFileInfo\Translation with that one translation. Keys and texts are UTF-16LE, every
// node starts on a 32-bit boundary and carries the wLength, wValueLength and wType words that
// Windows writes. The build makes one for each executable; tests make their own.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune {

// The ELF section that holds an executable's version block.
inline constexpr std::string_view VersionSectionName = ".kestrune_version";

struct TVersionBlockContents {
    // major, minor, patch, build
    std::array<std::uint16_t, 4> FileVersion{};
    std::array<std::uint16_t, 4> ProductVersion{};
    std::uint16_t Language = 0x0409; // U.S. English
    std::uint16_t CodePage = 0x04b0; // Unicode
    // Without it the block has no VarFileInfo and so no translation table.
    bool WithTranslationTable = true;
    // The string table's key in upper-case hexadecimal ("040904B0") instead of lower case.
    bool UpperCaseTableKey = false;
    // Name and value, UTF-8, written in this order.
    std::vector<std::pair<std::string, std::string>> Strings;
};

std::vector<std::uint8_t> BuildVersionBlock(const TVersionBlockContents& contents);

// "1.2.3" or "1.2.3.4" as four numbers (missing ones are 0); nullopt for anything else.
std::optional<std::array<std::uint16_t, 4>> ParseVersionNumbers(std::string_view text);

// A value found in a block: its bytes (as many as its wValueLength says, but never past the end
// of its node) and that wValueLength (UTF-16 units for text, bytes for binary values).
struct TVersionValue {
    std::span<const std::uint8_t> Bytes;
    std::uint16_t Length = 0;
    bool IsText = false;
};

// The value at a sub-block path such as "\StringFileInfo\040904b0\FileVersion", looked up the
// way VerQueryValue does: each name is compared with the node keys without regard to the case
// of ASCII letters. "\" alone is the root's VS_FIXEDFILEINFO. nullopt when a name is not there
// or the block is malformed.
std::optional<TVersionValue> QueryVersionValue(std::span<const std::uint8_t> block,
                                               std::string_view subBlock);

} // namespace kestrune

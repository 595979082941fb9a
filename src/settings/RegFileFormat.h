#pragma once
// The settings file's text: the Windows .reg export format ("Windows Registry Editor Version
// 5.00"), one section per key, one line per value.

#include "settings/RegistryTree.h"

#include <string>
#include <string_view>

namespace kestrune {

constexpr std::string_view RegFileHeader = "Windows Registry Editor Version 5.00";

struct TRegFileContents {
    TRegistryTree Tree;
    // Some line did not parse (it was left out), the header was missing, or the bytes were not
    // clean UTF-8 or UTF-16 text: writing the tree back would lose something.
    bool Damaged = false;
};

// Reads the keys of one root (rootName, e.g. "HKEY_CURRENT_USER") from a file in UTF-8, with
// or without a byte-order mark, or in UTF-16LE with one; lines end in LF or CR LF. Every line
// that parses is used; comment lines (";") are skipped.
TRegFileContents ParseRegFile(std::string_view bytes, std::string_view rootName);

// The tree as UTF-8 text with LF line ends: the header, then each key with values or without
// sub-keys as a section followed by a blank line. A name is written between double quotes
// with "\" and the double quote escaped by a backslash and control characters as \xHH; a
// REG_SZ as "text" when its text fits on the line (otherwise hex(1):), a 4-byte REG_DWORD as
// dword:, REG_BINARY as hex:, every other type as hex(type):.
std::string FormatRegFile(const TRegistryTree& tree, std::string_view rootName);

} // namespace kestrune

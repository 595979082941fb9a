#pragma once
// Small text helpers shared by the whole program.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

// Without the characters with codes 0 to 32 at both ends.
std::string_view Trim(std::string_view text);
// The letters a-z changed to A-Z; nothing else changes.
std::string UpperCaseAscii(std::string_view text);
// Whether two texts are equal when ASCII letters are compared without regard to case; every
// other byte (the parts of UTF-8 letters too) must match exactly.
bool SameTextAscii(std::string_view a, std::string_view b);
// Case-insensitive comparison of ASCII letters: <0, 0 or >0.
int CompareTextAscii(std::string_view a, std::string_view b);
// A decimal integer: an optional sign and digits, nothing else, within the range of int.
std::optional<int> ParseInt(std::string_view text);
// Every occurrence of `from` replaced by `to` (exact, case-sensitive); an empty `from` changes
// nothing.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// UTF-16 for the interfaces that take it (the orbit component's BSTR texts). A byte sequence
// that is no UTF-8, or a lone surrogate, becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);
// The code point's UTF-8 bytes appended to the text.
void AppendUtf8(std::string& text, char32_t code);

// Paths from and to the program's UTF-8 texts. A path made from a narrow string takes it in the
// system's code page where paths are wide (a folder "Bjørn TLE" would not be found there), so
// every path made from a text of the program goes through these.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);
// Whether the text ends with a separator of folders ("/", and "\" where the system takes it).
bool EndsWithPathSeparator(std::string_view path);

} // namespace kestrune

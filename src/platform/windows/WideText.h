#pragma once
// The program's UTF-8 text and the UTF-16 text of the Win32 W functions, and the system's text
// for an error code.

#include <string>
#include <string_view>

namespace kestrune {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
// A lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

// FormatMessageW's text for a Win32 error code (GetLastError, a registry or Winsock result),
// without its trailing line break, followed by the code: "Access is denied. (error 5)".
std::string SystemErrorText(unsigned long code);

} // namespace kestrune

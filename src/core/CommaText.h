#pragma once
// Comma text: the one form in which the program keeps a list of texts in a single string.

#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// Items are joined with ","; an item holding a double quote, a comma or a character with a code
// from 1 to 32 is quoted, its double quotes doubled. A list of one empty item is written "".
std::string WriteCommaText(const std::vector<std::string>& items);

// The reverse: quoted items run to their closing quote; bare items end at a comma, a character
// with a code from 1 to 32 or the end, so an unquoted blank separates items. A comma that is
// the text's last character adds an empty item; an empty text gives an empty list.
std::vector<std::string> ReadCommaText(std::string_view text);

} // namespace kestrune

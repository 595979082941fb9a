#pragma once

#include "core/LocaleInfo.h"

namespace kestrune {

// The user's locale (GetLocaleInfoEx): decimal, date and time separators, abbreviated month
// names, and a converter to the ANSI code page for text that leaves the program.
TLocaleInfo SystemLocaleInfo();

} // namespace kestrune

#pragma once

#include "core/LocaleInfo.h"

namespace kestrune {

// The user's locale as the environment sets it (LC_ALL, LC_NUMERIC, LC_TIME, LC_CTYPE, LANG):
// decimal separator, abbreviated month names and, unless the character set is UTF-8, a
// converter to it for text that leaves the program.
TLocaleInfo SystemLocaleInfo();

} // namespace kestrune

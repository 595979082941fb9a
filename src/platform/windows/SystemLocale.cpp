#include "platform/windows/SystemLocale.h"

#include "platform/windows/WideText.h"

#include <windows.h>

namespace kestrune {

namespace {

std::wstring UserLocaleText(LCTYPE type) {
    wchar_t buffer[LOCALE_NAME_MAX_LENGTH * 2] = {};
    const int length =
        ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, LOCALE_NAME_MAX_LENGTH * 2);
    return length > 1 ? std::wstring(buffer, static_cast<std::size_t>(length - 1)) : L"";
}

// The separator when it is one character of the ANSI code page's ASCII part.
char SeparatorOf(LCTYPE type, char fallback) {
    const std::wstring text = UserLocaleText(type);
    return text.size() == 1 && text[0] > 0x20 && text[0] < 0x7F ? static_cast<char>(text[0])
                                                                : fallback;
}

// UTF-8 text in the ANSI code page; what it cannot hold becomes "?".
std::string AnsiFromUtf8(std::string_view text) {
    const std::wstring wide = WideFromUtf8(text);
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

} // namespace

TLocaleInfo SystemLocaleInfo() {
    TLocaleInfo info;
    info.DecimalSeparator = SeparatorOf(LOCALE_SDECIMAL, info.DecimalSeparator);
    info.DateSeparator = SeparatorOf(LOCALE_SDATE, info.DateSeparator);
    info.TimeSeparator = SeparatorOf(LOCALE_STIME, info.TimeSeparator);
    for (int i = 0; i < 12; ++i) {
        const std::wstring name = UserLocaleText(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + i));
        if (!name.empty())
            info.ShortMonthNames[static_cast<std::size_t>(i)] = Utf8FromWide(name);
    }
    if (::GetACP() != CP_UTF8)
        info.FromUtf8 = AnsiFromUtf8;
    return info;
}

} // namespace kestrune

#include "platform/linux/SystemLocale.h"

#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <memory>

namespace kestrune {

namespace {

// A newlocale() handle, freed at the end.
using TLocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, decltype(&freelocale)>;

std::string Converted(std::string_view text, const std::string& charset) {
    iconv_t cd = iconv_open((charset + "//TRANSLIT").c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(text);
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (outLeft == 0)
            break;
        // A character the set cannot hold, even approximately: a question mark instead.
        ++in;
        --inLeft;
        while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
            ++in;
            --inLeft;
        }
        *outPtr++ = '?';
        --outLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

TLocaleInfo SystemLocaleInfo() {
    TLocaleInfo info;
    TLocaleHandle locale(newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr)), &freelocale);
    if (!locale)
        return info;
    const char* radix = nl_langinfo_l(RADIXCHAR, locale.get());
    if (radix && std::strlen(radix) == 1)
        info.DecimalSeparator = radix[0];
    // The first character of the date and time formats that is not a conversion.
    auto separatorOf = [&](nl_item format, char fallback) {
        const char* text = nl_langinfo_l(format, locale.get());
        for (const char* p = text; p && *p; ++p) {
            if (*p == '%') {
                if (*++p == '\0')
                    break;
                continue;
            }
            return *p;
        }
        return fallback;
    };
    info.DateSeparator = separatorOf(D_FMT, info.DateSeparator);
    info.TimeSeparator = separatorOf(T_FMT, info.TimeSeparator);
    static constexpr nl_item Months[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                           ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    for (int i = 0; i < 12; ++i)
        if (const char* name = nl_langinfo_l(Months[i], locale.get()); name && *name)
            info.ShortMonthNames[static_cast<std::size_t>(i)] = name;
    const std::string charset = nl_langinfo_l(CODESET, locale.get());
    if (charset != "UTF-8" && charset != "ANSI_X3.4-1968")
        info.FromUtf8 = [charset](std::string_view text) { return Converted(text, charset); };
    return info;
}

} // namespace kestrune

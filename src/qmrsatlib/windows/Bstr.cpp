#include "qmrsatlib/windows/Bstr.h"

#include "core/Text.h"

#include <new>

namespace kestrune::com {

// wchar_t is UTF-16 on Windows, so the core's UTF-16 texts are a BSTR's characters.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::string Utf8FromBstr(BSTR text) {
    if (!text)
        return {};
    return Utf8FromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(text), SysStringLen(text)));
}

BSTR NewBstr(std::string_view utf8) {
    const std::u16string utf16 = Utf16FromUtf8(utf8);
    BSTR text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(utf16.data()),
                                  static_cast<UINT>(utf16.size()));
    if (!text)
        throw std::bad_alloc();
    return text;
}

BSTR* TBstr::Out() {
    SysFreeString(FText);
    FText = nullptr;
    return &FText;
}

} // namespace kestrune::com

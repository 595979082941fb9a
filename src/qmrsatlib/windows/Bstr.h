#pragma once
// The component's BSTR texts, owned and converted: the program's texts are UTF-8, the interface's
// UTF-16. Both the component and the program's side of the interface use these.

#include <string>
#include <string_view>

// The Windows types before the header that uses them.
// clang-format off
#include <windows.h>
#include <oleauto.h>
// clang-format on

namespace kestrune::com {

// The text of a BSTR; a null BSTR is the empty text.
std::string Utf8FromBstr(BSTR text);
// A new BSTR for the caller to free; throws std::bad_alloc when there is no memory for it.
BSTR NewBstr(std::string_view utf8);

// One owned BSTR: the in text of a call, or where an out text lands.
class TBstr {
public:
    TBstr() = default;
    explicit TBstr(std::string_view utf8) : FText(NewBstr(utf8)) {}
    ~TBstr() { SysFreeString(FText); }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;

    BSTR Get() const { return FText; }
    // For an out parameter: frees what is held and gives the place.
    BSTR* Out();
    std::string Utf8() const { return Utf8FromBstr(FText); }

private:
    BSTR FText = nullptr;
};

} // namespace kestrune::com

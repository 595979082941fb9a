#include "winui/Dialogs.h"

#include "platform/windows/Executable.h"
#include "platform/windows/VersionResource.h"
#include "platform/windows/WideText.h"
#include "version/VersionBlock.h"

#include <commctrl.h>
#include <functional>
#include <shellapi.h>
#include <shlobj.h>
#include <vector>

namespace kestrune {

namespace {

// A modal dialog laid out in pixels: an empty dialog template whose controls `create` makes
// when it opens, `command` seeing every WM_COMMAND (OK and Cancel end it unless it says it
// handled them).
struct TDialog {
    std::wstring Title;
    int ClientWidth, ClientHeight;
    HFONT Font;
    std::function<void(HWND)> Create;
    std::function<bool(HWND, int id, int code)> Command;
};

HWND AddControl(HWND dialog, HFONT font, const wchar_t* kind, const std::wstring& text, DWORD style,
                int id, int left, int top, int width, int height) {
    HWND control = ::CreateWindowExW(
        0, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, left, top, width, height, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* entry = reinterpret_cast<TDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        entry = reinterpret_cast<TDialog*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        ::SetWindowTextW(dialog, entry->Title.c_str());
        RECT frame{0, 0, entry->ClientWidth, entry->ClientHeight};
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongW(dialog, GWL_EXSTYLE)));
        RECT owner{};
        ::GetWindowRect(::GetWindow(dialog, GW_OWNER), &owner);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        ::SetWindowPos(dialog, nullptr, owner.left + (owner.right - owner.left - width) / 2,
                       owner.top + (owner.bottom - owner.top - height) / 2, width, height,
                       SWP_NOZORDER);
        entry->Create(dialog);
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (entry->Command && entry->Command(dialog, id, HIWORD(wParam)))
            return TRUE;
        if (id == IDOK || id == IDCANCEL) {
            ::EndDialog(dialog, id);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

INT_PTR RunDialog(HWND owner, TDialog& entry) {
    // An empty template: style, no menu, the default class, no title, no controls.
    struct alignas(DWORD) {
        DLGTEMPLATE Header;
        WORD Menu, Class, Title;
    } dialogTemplate{};
    dialogTemplate.Header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    dialogTemplate.Header.cx = 100;
    dialogTemplate.Header.cy = 100;
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), &dialogTemplate.Header, owner,
                                     DialogProc, reinterpret_cast<LPARAM>(&entry));
}

} // namespace

std::wstring WindowsLines(std::string_view text) {
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            lines += text[i];
        }
    }
    return WideFromUtf8(lines);
}

bool TComSetupDialog::ShowModal(TComSetupForm& form) {
    const std::vector<TComComboBox*> combos = form.Combos();
    HFONT font = FFont;
    TDialog dialog{L"Setup", 231, 216, font, {}, {}};
    dialog.Create = [&](HWND window) {
        AddControl(window, font, L"BUTTON", L" Settings ", BS_GROUPBOX, -1, 8, 8, 217, 169);
        const wchar_t* const captions[] = {L"Port",      L"Baud rate", L"Data bits",
                                           L"Stop bits", L"Parity",    L"Flow control"};
        for (int i = 0; i < 6; ++i) {
            AddControl(window, font, L"STATIC", captions[i], SS_LEFT, -1, 16, 32 + 24 * i, 60, 16);
            HWND list = AddControl(window, font, WC_COMBOBOXW, L"",
                                   CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 100 + i, 88,
                                   24 + 24 * i, 129, 200);
            const TComComboBox& combo = *combos[static_cast<std::size_t>(i)];
            for (const std::string& item : combo.Items())
                ::SendMessageW(list, CB_ADDSTRING, 0,
                               reinterpret_cast<LPARAM>(WideFromUtf8(item).c_str()));
            ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(combo.ItemIndex()), 0);
        }
        AddControl(window, font, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 70, 184, 75,
                   25);
        AddControl(window, font, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 150,
                   184, 75, 25);
    };
    dialog.Command = [&](HWND window, int id, int code) {
        if (id < 100 || id >= 106 || code != CBN_SELCHANGE)
            return false;
        const auto index = ::SendDlgItemMessageW(window, id, CB_GETCURSEL, 0, 0);
        combos[static_cast<std::size_t>(id - 100)]->Change(static_cast<int>(index));
        return true;
    };
    return RunDialog(FOwner, dialog) == IDOK;
}

std::string OwnVersionString(const std::string& name) {
    const std::vector<std::uint8_t> block =
        ReadVersionResource(Utf8FromWide(ExecutablePath().wstring()));
    const auto value = QueryVersionValue(block, "\\StringFileInfo\\040904b0\\" + name);
    if (!value || !value->IsText)
        return {};
    std::wstring text(value->Bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(value->Bytes[2 * i] | (value->Bytes[2 * i + 1] << 8));
    return Utf8FromWide(text.c_str());
}

void ShowAboutBox(HWND owner, HFONT font, const std::string& fileLocations) {
    constexpr int WebSiteId = 200;
    const std::string webSite = OwnVersionString("Web site");
    TDialog dialog{L"About", 320, 270, font, {}, {}};
    dialog.Create = [&](HWND window) {
        AddControl(window, font, L"STATIC", L"", SS_ETCHEDFRAME, -1, 8, 8, 303, 161);
        const std::string lines[] = {
            OwnVersionString("ProductName"), "Version " + OwnVersionString("FileVersion"),
            OwnVersionString("LegalCopyright"), OwnVersionString("Comments")};
        for (int i = 0; i < 4; ++i)
            AddControl(window, font, L"STATIC", WideFromUtf8(lines[i]),
                       SS_LEFTNOWORDWRAP | SS_NOPREFIX, -1, 72, 24 + 24 * i, 231, 16);
        HWND site = AddControl(window, font, L"STATIC", WideFromUtf8(webSite),
                               SS_LEFT | SS_NOPREFIX | SS_NOTIFY, WebSiteId, 72, 120, 231, 16);
        ::SetWindowLongPtrW(site, GWLP_USERDATA, 0);
        AddControl(window, font, L"STATIC", WindowsLines(fileLocations), SS_LEFT | SS_NOPREFIX, -1,
                   8, 176, 303, 52);
        AddControl(window, font, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 122, 237,
                   75, 25);
        HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), L"MAINICON");
        HWND picture = AddControl(window, font, L"STATIC", L"", SS_ICON, -1, 24, 24, 32, 32);
        ::SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    };
    dialog.Command = [&](HWND, int id, int code) {
        if (id != WebSiteId || code != STN_CLICKED || webSite.empty())
            return false;
        const std::string address = webSite.find("http://") == std::string::npos &&
                                            webSite.find("https://") == std::string::npos
                                        ? "http://" + webSite
                                        : webSite;
        ::ShellExecuteW(nullptr, L"open", WideFromUtf8(address).c_str(), nullptr, nullptr,
                        SW_SHOWNORMAL);
        return true;
    };
    RunDialog(owner, dialog);
}

namespace {

int CALLBACK FolderDialogEvent(HWND dialog, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED)
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

} // namespace

std::string ChooseFolder(HWND owner, const std::string& title, const std::string& start) {
    const std::wstring caption = WideFromUtf8(title);
    const std::wstring from = WideFromUtf8(start);
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = caption.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = FolderDialogEvent;
    browse.lParam = reinterpret_cast<LPARAM>(from.c_str());
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
    if (chosen == nullptr)
        return {};
    wchar_t path[MAX_PATH] = {};
    const bool found = ::SHGetPathFromIDListW(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    return found ? Utf8FromWide(path) : std::string();
}

std::string ChooseSatellite(HWND owner, HFONT font, const TElementSetIndex& sets) {
    constexpr int ListId = 100;
    std::string chosen;
    TDialog dialog{L"Add satellite", 240, 280, font, {}, {}};
    dialog.Create = [&](HWND window) {
        HWND list = AddControl(window, font, L"LISTBOX", L"",
                               WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT, ListId,
                               8, 8, 224, 230);
        for (const TElementSetEntry& set : sets.Entries())
            ::SendMessageW(list, LB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(WideFromUtf8(set.Name).c_str()));
        AddControl(window, font, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 76, 247, 75,
                   25);
        AddControl(window, font, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 157,
                   247, 75, 25);
    };
    dialog.Command = [&](HWND window, int id, int code) {
        if (id == IDOK || (id == ListId && code == LBN_DBLCLK)) {
            HWND list = ::GetDlgItem(window, ListId);
            const auto index = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
            if (index != LB_ERR) {
                std::wstring name(
                    static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, index, 0)), L'\0');
                ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name.data()));
                chosen = Utf8FromWide(name);
            }
            ::EndDialog(window, IDOK);
            return true;
        }
        return false;
    };
    RunDialog(owner, dialog);
    return chosen;
}

} // namespace kestrune

#include "winui/FormMain.h"

#include "core/SatelliteList.h"
#include "platform/windows/Executable.h"
#include "platform/windows/SystemLocale.h"
#include "platform/windows/WideText.h"
#include "settings/PersistedControl.h"
#include "winui/Dialogs.h"

#include <commctrl.h>
#include <stdexcept>
#include <vector>

namespace kestrune {

namespace {

constexpr wchar_t FormClass[] = L"TFormMain";
constexpr wchar_t PageClass[] = L"TTabSheet";
constexpr wchar_t LedClass[] = L"TLED";
// A control's id is its place in the table plus this; the channel items follow theirs.
constexpr int FirstControlId = 100;
constexpr int FirstChannelId = 1000;
constexpr int AddSatelliteId = 2000, RemoveSatelliteId = 2001, CellEditId = 2002;
// The lamp template's pixels of exactly this colour take the lamp's colour.
constexpr std::uint32_t LampBodyRgb = 0x00FF00;

std::wstring W(std::string_view text) {
    return WideFromUtf8(text);
}

HINSTANCE Instance() {
    return ::GetModuleHandleW(nullptr);
}

// The windows are laid out in pixels for an 8-point font: the desktop's icon-title font at that
// size keeps every text inside its control.
HFONT CreateLayoutFont() {
    LOGFONTW font{};
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0);
    HDC screen = ::GetDC(nullptr);
    font.lfHeight = -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return ::CreateFontIndirectW(&font);
}

void ShowBox(HWND owner, const std::string& text, bool error) {
    ::MessageBoxW(owner, WindowsLines(text).c_str(), W(ApplicationTitle).c_str(),
                  MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

bool AskYesNo(HWND owner, const std::string& text) {
    return ::MessageBoxW(owner, WindowsLines(text).c_str(), W(ApplicationTitle).c_str(),
                         MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The size of a one-line text in the font, as a label needs it.
SIZE TextSize(HWND window, HFONT font, const std::wstring& text) {
    HDC dc = ::GetDC(window);
    const HGDIOBJ old = ::SelectObject(dc, font);
    RECT extent{};
    ::DrawTextW(dc, text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return {extent.right, extent.bottom};
}

TFormMain* FormOf(HWND window) {
    return reinterpret_cast<TFormMain*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace

// The drop-down list and the check box that keep their own setting, over their Win32 controls.
class TFormMain::TComboView final : public IComboBoxView {
public:
    TComboView(TFormMain& form, HWND control) : FForm(form), FControl(control) {}
    std::string ComponentName() const override { return "ComboBoxRxType"; }
    void DetachClickHandler() override { FForm.FClickHandlersAttached = false; }
    void AttachClickHandler() override { FForm.FClickHandlersAttached = true; }
    int ItemIndex() const override {
        return static_cast<int>(::SendMessageW(FControl, CB_GETCURSEL, 0, 0));
    }
    int ItemCount() const override {
        return static_cast<int>(::SendMessageW(FControl, CB_GETCOUNT, 0, 0));
    }
    // An index outside the list selects nothing.
    void SetItemIndex(int index) override {
        ::SendMessageW(FControl, CB_SETCURSEL, index < ItemCount() ? index : -1, 0);
    }

private:
    TFormMain& FForm;
    HWND FControl;
};

class TFormMain::TCheckView final : public ICheckBoxView {
public:
    TCheckView(TFormMain& form, HWND control) : FForm(form), FControl(control) {}
    std::string ComponentName() const override { return "CheckBoxScanWhenIdle"; }
    void DetachClickHandler() override { FForm.FClickHandlersAttached = false; }
    void AttachClickHandler() override { FForm.FClickHandlersAttached = true; }
    bool Checked() const override {
        return ::SendMessageW(FControl, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void SetChecked(bool checked) override {
        ::SendMessageW(FControl, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

private:
    TFormMain& FForm;
    HWND FControl;
};

TFormMain::TFormMain(const TProgramEnvironment& environment, TFormMainServices services)
    : FServices(std::move(services)) {
    if (!FServices.ShowBox)
        FServices.ShowBox = ShowBox;
    if (!FServices.ChooseFolder)
        FServices.ChooseFolder = [](HWND owner, const std::string& start) {
            return ChooseFolder(owner, std::string(ChooseFolderTitle), start);
        };
    if (!FServices.Ask)
        FServices.Ask = AskYesNo;
    if (!FServices.DrawingLocale)
        FServices.DrawingLocale = SystemLocaleInfo;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    static const bool registered = [] {
        WNDCLASSEXW form{};
        form.cbSize = sizeof form;
        form.lpfnWndProc = WindowProc;
        form.hInstance = Instance();
        form.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        form.hIcon = ::LoadIconW(Instance(), L"MAINICON");
        form.lpszClassName = FormClass;
        WNDCLASSEXW page = form;
        page.lpfnWndProc = PageProc;
        page.hIcon = nullptr;
        page.lpszClassName = PageClass;
        WNDCLASSEXW led = page;
        led.lpfnWndProc = LedProc;
        led.hbrBackground = nullptr;
        led.lpszClassName = LedClass;
        return ::RegisterClassExW(&form) != 0 && ::RegisterClassExW(&page) != 0 &&
               ::RegisterClassExW(&led) != 0;
    }();
    if (!registered)
        throw std::runtime_error("The window classes cannot be registered: " +
                                 SystemErrorText(::GetLastError()));

    // Fixed size: single border, system menu and minimise button only.
    constexpr DWORD style =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, FormClientWidth, FormClientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    FHandle = ::CreateWindowExW(WS_EX_CONTROLPARENT, FormClass, W(ApplicationTitle).c_str(), style,
                                FormDesignLeft, FormDesignTop, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, Instance(), this);
    if (FHandle == nullptr)
        throw std::runtime_error("The main window cannot be created: " +
                                 SystemErrorText(::GetLastError()));
    FFont = CreateLayoutFont();
    FPageBrush = ::GetSysColorBrush(COLOR_BTNFACE);
    FLedBitmap = static_cast<HBITMAP>(
        ::LoadImageW(Instance(), L"TLED", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    FToolTip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                 FHandle, nullptr, Instance(), nullptr);
    ::SendMessageW(FToolTip, TTM_SETMAXTIPWIDTH, 0, 400);
    CreateControls();
    if (!FServices.ComSetup) {
        FOwnComSetup = std::make_unique<TComSetupDialog>(FHandle, FFont);
        FServices.ComSetup = FOwnComSetup.get();
    }

    // The controls that keep their own settings read them as the window finishes loading.
    FComboView = std::make_unique<TComboView>(*this, Control("ComboBoxRxType"));
    FRxType = std::make_unique<TPersistedComboBox>(environment.Settings, *FComboView);
    FRxType->SetNamedAs(std::string(MainFormControl("ComboBoxRxType").SettingName));
    FRxType->Loaded();
    FCheckView = std::make_unique<TCheckView>(*this, Control("CheckBoxScanWhenIdle"));
    FScanWhenIdle = std::make_unique<TPersistedCheckBox>(environment.Settings, *FCheckView);
    FScanWhenIdle->SetNamedAs(std::string(MainFormControl("CheckBoxScanWhenIdle").SettingName));
    FScanWhenIdle->Loaded();

    FProgram = std::make_unique<TProgram>(environment, *this, static_cast<IFormPlacement*>(this));
    FProgram->PassList().SetOnChange([this] { ShowPassList(); });
    FDispatcher = &environment.Dispatcher;
    FFileLocations = "Settings: " + environment.SettingsLocation +
                     "\nSchedule: " + Utf8FromWide(environment.SchedulePath.wstring());
    ShowControlValues();
    ShowElementSetProblems();
    ChannelSelectorChanged();
    ::SetTimer(FHandle, DownloadTimer, 1000, nullptr);
}

TFormMain::~TFormMain() {
    EndProgram();
    ::SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    ::DestroyWindow(FHandle);
    ::DeleteObject(FFont);
    if (FLedBitmap != nullptr)
        ::DeleteObject(FLedBitmap);
}

void TFormMain::EndProgram() {
    ::KillTimer(FHandle, SequencerTimer);
    ::KillTimer(FHandle, DownloadTimer);
    if (FProgram)
        FProgram->PassList().SetOnChange({});
    FProgram.reset();
    FRxType.reset();
    FScanWhenIdle.reset();
}

void TFormMain::CreateControls() {
    // Where the controls of a container go: tab pages are windows; group boxes and panels only
    // move their contents.
    struct TContainer {
        HWND Window;
        int Left, Top;
    };
    std::map<std::string_view, TContainer> containers;
    const auto specs = MainFormControls();
    int page = 0;
    for (std::size_t index = 0; index < specs.size(); ++index) {
        const TControlSpec& entry = specs[index];
        if (entry.Kind == TControlKind::TabPage) {
            HWND tabs = Control(entry.Parent);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            std::wstring caption = W(entry.Caption);
            item.pszText = caption.data();
            ::SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(page),
                           reinterpret_cast<LPARAM>(&item));
            RECT area{};
            ::GetClientRect(tabs, &area);
            ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
            ::MapWindowPoints(tabs, FHandle, reinterpret_cast<POINT*>(&area), 2);
            HWND sheet = ::CreateWindowExW(WS_EX_CONTROLPARENT, PageClass, L"",
                                           WS_CHILD | (page == 0 ? WS_VISIBLE : 0), area.left,
                                           area.top, area.right - area.left, area.bottom - area.top,
                                           FHandle, nullptr, Instance(), this);
            // Above the tab control, which leaves them out of what it paints.
            ::SetWindowPos(sheet, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            FPages[page++] = sheet;
            FControls.emplace(entry.Name, sheet);
            containers[entry.Name] = {sheet, 0, 0};
            continue;
        }
        const TContainer parent =
            entry.Parent.empty() ? TContainer{FHandle, 0, 0} : containers.at(entry.Parent);
        if (entry.Kind == TControlKind::Panel) {
            containers[entry.Name] = {parent.Window, parent.Left + entry.Left,
                                      parent.Top + entry.Top};
            continue;
        }
        HWND control = CreateControl(entry, parent.Window, parent.Left, parent.Top);
        ::SetWindowLongPtrW(control, GWLP_ID, static_cast<LONG_PTR>(FirstControlId + index));
        if (entry.Kind == TControlKind::GroupBox || entry.Kind == TControlKind::RadioGroup) {
            containers[entry.Name] = {parent.Window, parent.Left + entry.Left,
                                      parent.Top + entry.Top};
            // Below what it holds.
            ::SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        }
        if (entry.Kind == TControlKind::RadioGroup) {
            const int itemHeight = (entry.Height - 20) / ChannelItemCount;
            for (int i = 0; i < ChannelItemCount; ++i) {
                FChannelButtons[i] = ::CreateWindowExW(
                    0, L"BUTTON", L"",
                    WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON |
                        (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
                    parent.Left + entry.Left + 4, parent.Top + entry.Top + 18 + i * itemHeight,
                    entry.Width - 8, itemHeight, parent.Window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(FirstChannelId + i)), Instance(),
                    nullptr);
                ::SendMessageW(FChannelButtons[i], WM_SETFONT, reinterpret_cast<WPARAM>(FFont),
                               FALSE);
            }
        }
    }
    ::SendMessageW(Control("ComboBoxRxType"), CB_RESETCONTENT, 0, 0);
    for (const TReceiverTypeInfo& type : ReceiverTypes)
        ::SendMessageW(Control("ComboBoxRxType"), CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(W(type.Name).c_str()));
    ::SendMessageW(Control("ComboBoxRxType"), CB_SETCURSEL, static_cast<WPARAM>(DefaultRxType), 0);
    ::SendMessageW(Control("CheckBoxScanWhenIdle"), BM_SETCHECK,
                   DefaultScanWhenIdle ? BST_CHECKED : BST_UNCHECKED, 0);
    for (const TSpinEditSpec& spin : PassSettingSpinEdits()) {
        const TSpinRange range = PassSettingRange(spin.Setting);
        HWND upDown = ::GetWindow(Control(spin.Name), GW_HWNDNEXT);
        ::SendMessageW(upDown, UDM_SETRANGE32, static_cast<WPARAM>(range.Min), range.Max);
    }
    HWND grid = Control("StringGridSatList");
    ::SendMessageW(grid, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    HDC dc = ::GetDC(grid);
    const HGDIOBJ old = ::SelectObject(dc, FFont);
    for (int column = 0; column < SatelliteGridColumns; ++column) {
        const std::wstring heading = W(SatelliteGridHeadings[column]);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, heading.c_str(), static_cast<int>(heading.size()), &extent);
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT | LVCF_WIDTH;
        entry.pszText = const_cast<wchar_t*>(heading.c_str());
        // Each column as wide as its heading + 5, and the header's own margins.
        entry.cx = extent.cx + 5 + 12;
        ::SendMessageW(grid, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                       reinterpret_cast<LPARAM>(&entry));
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(grid, dc);
    // One panel as wide as the bar.
    int panelRight = -1;
    ::SendMessageW(Control("StatusBar1"), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&panelRight));
}

HWND TFormMain::CreateControl(const TControlSpec& entry, HWND parent, int offsetX, int offsetY) {
    DWORD style = WS_CHILD, exStyle = 0;
    const wchar_t* kind = L"STATIC";
    int left = offsetX + entry.Left, top = offsetY + entry.Top;
    int width = entry.Width, height = entry.Height;
    const bool right = (entry.Options & AlignRight) != 0;
    switch (entry.Kind) {
    case TControlKind::TabControl:
        kind = WC_TABCONTROLW;
        style |= WS_CLIPSIBLINGS | WS_TABSTOP;
        break;
    case TControlKind::Label:
        style |= SS_NOPREFIX;
        if ((entry.Options & WordWrap) != 0)
            style |= SS_LEFT;
        else
            style |= (right ? SS_RIGHT : SS_LEFTNOWORDWRAP) | SS_CENTERIMAGE;
        // A text longer than its fixed place ends in "...", as the warnings above the lists do.
        if (!right && entry.Width > 0 && (entry.Options & WordWrap) == 0)
            style |= SS_ENDELLIPSIS;
        break;
    case TControlKind::Edit:
    case TControlKind::ReadOnlyEdit:
    case TControlKind::SpinEdit:
        kind = L"EDIT";
        exStyle = WS_EX_CLIENTEDGE;
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        if (entry.Kind == TControlKind::ReadOnlyEdit)
            style |= ES_READONLY;
        if (entry.Kind == TControlKind::SpinEdit)
            style |= ES_NUMBER;
        break;
    case TControlKind::Button:
        kind = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        if (entry.Caption.find('\n') != std::string_view::npos)
            style |= BS_MULTILINE;
        break;
    case TControlKind::GroupBox:
    case TControlKind::RadioGroup:
        kind = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
    case TControlKind::CheckBox:
        kind = L"BUTTON";
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
    case TControlKind::DropDownList:
        kind = WC_COMBOBOXW;
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        height = 200; // the list's, below the box
        break;
    case TControlKind::Grid:
        kind = WC_LISTVIEWW;
        exStyle = WS_EX_CLIENTEDGE;
        style |= WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
        break;
    case TControlKind::PassList:
        kind = L"LISTBOX";
        exStyle = WS_EX_CLIENTEDGE;
        style |= WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY |
                 LBS_NOINTEGRALHEIGHT;
        break;
    case TControlKind::Led:
        kind = LedClass;
        break;
    case TControlKind::StatusBar:
        kind = STATUSCLASSNAMEW;
        style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
        break;
    case TControlKind::ProgressBar:
        kind = PROGRESS_CLASSW;
        style |= PBS_SMOOTH;
        break;
    case TControlKind::TabPage:
    case TControlKind::Panel:
        throw std::logic_error("Tab pages and panels are containers");
    }
    if ((entry.Options & HiddenAtStart) == 0)
        style |= WS_VISIBLE;
    if ((entry.Options & DisabledAtStart) != 0)
        style |= WS_DISABLED;
    const std::wstring caption = WindowsLines(entry.Caption);
    if (entry.Width == 0) {
        // A label as large as its text.
        const SIZE size = TextSize(parent, FFont, caption);
        width = size.cx;
        height = size.cy;
        if (right)
            left -= width;
    }
    HWND control = ::CreateWindowExW(exStyle, kind, caption.c_str(), style, left, top, width,
                                     height, parent, nullptr, Instance(), this);
    if (control == nullptr)
        throw std::runtime_error("The control " + std::string(entry.Name) +
                                 " cannot be created: " + SystemErrorText(::GetLastError()));
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
    if (entry.Kind == TControlKind::SpinEdit) {
        HWND upDown = ::CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                                        WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT |
                                            UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                        0, 0, 0, 0, parent, nullptr, Instance(), nullptr);
        ::SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control), 0);
        // Straight after its edit, so that the edit finds it.
        ::SetWindowPos(upDown, control, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        // The arrows sit over the edit's border: edit and arrows together take the table's width.
        RECT edit{}, arrows{};
        ::GetWindowRect(control, &edit);
        ::GetWindowRect(upDown, &arrows);
        const int extra = width - static_cast<int>(arrows.right - edit.left);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&arrows), 2);
        ::SetWindowPos(control, nullptr, 0, 0, edit.right - edit.left + extra,
                       edit.bottom - edit.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetWindowPos(upDown, nullptr, arrows.left + extra, arrows.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!entry.Name.empty())
        FControls.emplace(entry.Name, control);
    if (!entry.Hint.empty())
        SetHint(control, std::string(entry.Hint));
    if (entry.TextColour != DefaultTextColour)
        FTextColours[control] = entry.TextColour;
    return control;
}

HWND TFormMain::Control(std::string_view name) const {
    const auto found = FControls.find(name);
    if (found == FControls.end())
        throw std::logic_error("The window lacks its control " + std::string(name));
    return found->second;
}

std::string TFormMain::Text(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return Utf8FromWide(text);
}

std::string TFormMain::Hint(HWND control) const {
    const auto found = FHints.find(control);
    return found == FHints.end() ? std::string() : found->second;
}

void TFormMain::SetHint(HWND control, const std::string& hint) {
    std::wstring text = WindowsLines(hint);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text.data();
    const bool known = FHints.contains(control);
    FHints[control] = hint;
    ::SendMessageW(FToolTip, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                   reinterpret_cast<LPARAM>(&tool));
}

void TFormMain::SetText(std::string_view name, const std::string& text) {
    HWND control = Control(name);
    const std::wstring wide = W(text);
    if (MainFormControl(name).Width == 0) {
        // A label as large as its text.
        const SIZE size = TextSize(control, FFont, wide);
        ::SetWindowPos(control, nullptr, 0, 0, size.cx, size.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SetWindowTextW(control, wide.c_str());
}

void TFormMain::SelectPage(int index) {
    ::SendMessageW(Control("PageControl1"), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    for (int page = 0; page < 4; ++page)
        ::ShowWindow(FPages[page], page == index ? SW_SHOW : SW_HIDE);
}

void TFormMain::Show(int showCommand) {
    ::ShowWindow(FHandle, showCommand);
    ::UpdateWindow(FHandle);
    if (!FShown) {
        FShown = true;
        Guard([this] { FormShow(); });
    }
}

void TFormMain::FormShow() {
    FAlternateRowColour = ::GetSysColor(COLOR_WINDOW) ^ 0x101010;
    HWND list = Control("ListBoxSatelliteList");
    HDC dc = ::GetDC(list);
    const HGDIOBJ old = ::SelectObject(dc, FFont);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
    ::SendMessageW(list, LB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
    SetText("LabelVersion", "Program version: " + OwnVersionString("FileVersion"));
    FProgram->Start();
    ShowPortState();
}

void TFormMain::Guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
}

LRESULT CALLBACK TFormMain::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<TFormMain*>(create->lpCreateParams)->FHandle = window;
    }
    TFormMain* form = FormOf(window);
    if (form == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return form->Handle(message, wParam, lParam);
}

// A tab page hands what its controls tell their parent to the window.
LRESULT CALLBACK TFormMain::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CONTEXTMENU:
        return ::SendMessageW(::GetParent(window), message, wParam, lParam);
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK TFormMain::LedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (message == WM_PAINT) {
        if (TFormMain* form = FormOf(window)) {
            form->PaintLed(window);
            return 0;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The lamp picture with its pure-green pixels in the lamp's colour, clipped to a circle whose
// square runs from (0, 0) to (w + 3, w + 3); the picture sits one pixel in from the corner.
void TFormMain::PaintLed(HWND led) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(led, &paint);
    RECT area{};
    ::GetClientRect(led, &area);
    ::FillRect(dc, &area, FPageBrush);
    BITMAP picture{};
    if (FLedBitmap != nullptr && ::GetObjectW(FLedBitmap, sizeof picture, &picture) != 0) {
        const int width = picture.bmWidth, height = picture.bmHeight;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
        ::GetDIBits(dc, FLedBitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                    DIB_RGB_COLORS);
        // TColor is 0x00BBGGRR; the DIB's pixels are 0x00RRGGBB.
        const std::uint32_t lamp =
            ((FLedColour & 0xFF) << 16) | (FLedColour & 0xFF00) | ((FLedColour >> 16) & 0xFF);
        for (std::uint32_t& pixel : pixels)
            if ((pixel & 0xFFFFFF) == LampBodyRgb)
                pixel = lamp;
        const int side = width + 3;
        HRGN circle = ::CreateEllipticRgn(0, 0, side, side);
        ::SelectClipRgn(dc, circle);
        ::SetDIBitsToDevice(dc, 1, 1, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0,
                            0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
        ::SelectClipRgn(dc, nullptr);
        ::DeleteObject(circle);
    }
    ::EndPaint(led, &paint);
}

LRESULT TFormMain::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!FProgram && (message == WM_COMMAND || message == WM_NOTIFY || message == WM_TIMER))
        return 0; // the program has ended with the session
    switch (message) {
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY:
        return Notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
        if (wParam == SequencerTimer && FProgram)
            FProgram->Tick();
        else if (wParam == DownloadTimer && FProgram)
            Guard([this] { FProgram->ServiceDownloads(); });
        return 0;
    case ServePendingMessage:
        if (FDispatcher != nullptr)
            FDispatcher->ServePending();
        return 0;
    case WM_CTLCOLORSTATIC: {
        // Labels on the tab pages and the group boxes show the page, not a grey box of their own.
        HDC dc = reinterpret_cast<HDC>(wParam);
        const auto colour = FTextColours.find(reinterpret_cast<HWND>(lParam));
        if (colour != FTextColours.end())
            ::SetTextColor(dc, colour->second);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(FPageBrush);
    }
    case WM_DRAWITEM:
        DrawPassLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == Control("StringGridSatList")) {
            ShowGridMenu(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            return 0;
        }
        break;
    case WM_ENDSESSION:
        // Windows ends the process when this returns: the receiver is left as on Exit (RTS
        // lowered, port closed) and the settings are written now.
        if (wParam != FALSE)
            EndProgram();
        return 0;
    case WM_CLOSE:
        ::ShowWindow(FHandle, SW_HIDE);
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(FHandle, message, wParam, lParam);
}

void TFormMain::Command(int id, int code, HWND control) {
    if (id == IDCANCEL) {
        // The Escape key presses Exit.
        Guard([this] { FProgram->Exit(); });
        return;
    }
    if (id >= FirstChannelId && id < FirstChannelId + ChannelItemCount) {
        if (code == BN_CLICKED)
            Guard([this, id] { FProgram->SelectChannelItem(id - FirstChannelId); });
        return;
    }
    if (id == AddSatelliteId) {
        Guard([this] {
            const std::string name = ChooseSatellite(FHandle, FFont, FProgram->ElementSets());
            if (name.empty())
                return;
            FProgram->AddSatellite(name);
            ShowControlValues();
            ShowElementSetProblems();
            ShowMessage(name + " is on the list: click Restart to predict its passes.");
        });
        return;
    }
    if (id == RemoveSatelliteId) {
        Guard([this] { RemoveSatelliteClick(); });
        return;
    }
    if (id == CellEditId) {
        if (code == EN_KILLFOCUS)
            EndCellEdit(true);
        return;
    }
    const auto specs = MainFormControls();
    if (id < FirstControlId || id >= FirstControlId + static_cast<int>(specs.size()) || !FProgram)
        return;
    const std::string_view name = specs[static_cast<std::size_t>(id - FirstControlId)].Name;
    if (code == BN_CLICKED) {
        if (name == "ButtonExit")
            Guard([this] { FProgram->Exit(); });
        else if (name == "ButtonRestart" || name == "Button1")
            Guard([this] { FProgram->Rebuild(); });
        else if (name == "ButtonSkip")
            Guard([this] { FProgram->SkipPass(); });
        else if (name == "ButtonUpdateLocation")
            Guard([this] { FProgram->ApplyLocation(); });
        else if (name == "BitBtnReadZenolithLocn")
            Guard([this] { FProgram->UseSiblingLocation(); });
        else if (name == "ButtonTleFolder")
            Guard([this] { ButtonTleFolderClick(); });
        else if (name == "ButtonAbout")
            ShowAboutBox(FHandle, FFont, FFileLocations);
        else if (name == "ButtonPortSetup")
            Guard([this] {
                FProgram->SetUpPort(*FServices.ComSetup);
                ShowPortState();
                if (FProgram->PortWantedButClosed() &&
                    FServices.Ask(FHandle,
                                  "The port " + FProgram->Port().Port() +
                                      " is closed, and the receiver needs it. Open it now?")) {
                    FProgram->OpenPort();
                    ShowPortState();
                }
            });
        else if (name == "CheckBoxScanWhenIdle" && FClickHandlersAttached)
            Guard([this, control] {
                FProgram->SetScanWhenIdle(::SendMessageW(control, BM_GETCHECK, 0, 0) ==
                                          BST_CHECKED);
            });
        return;
    }
    if (code == EN_CHANGE) {
        if (name == "EditLatitude")
            FProgram->Controls().Latitude = Text(control);
        else if (name == "EditLongitude")
            FProgram->Controls().Longitude = Text(control);
        else if (name == "EditHeight")
            FProgram->Controls().Height = Text(control);
        for (const TSpinEditSpec& spin : PassSettingSpinEdits())
            if (name == spin.Name && !FShowingValues)
                FProgram->SetPassSetting(spin.Setting, Text(control));
        return;
    }
    if (code == EN_KILLFOCUS) {
        for (const TSpinEditSpec& spin : PassSettingSpinEdits())
            if (name == spin.Name)
                FProgram->ClampPassSetting(spin.Setting);
        return;
    }
    if (name == "ComboBoxRxType") {
        const int index = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
        if (code == CBN_SELCHANGE) {
            FProgram->Controls().ReceiverType = index;
            if (FClickHandlersAttached)
                Guard([this, index] { FProgram->SetReceiverType(index); });
        } else if (code == CBN_KILLFOCUS) {
            FRxType->FocusLost();
        }
        return;
    }
    if (name == "ListBoxSatelliteList" && code == LBN_SELCHANGE && !FShowingPassList) {
        // A line the user selects is the sequencer's: the lines up to it go when the reception
        // ends.
        FSelectingPass = true;
        FProgram->PassList().SetItemIndex(
            static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0)));
        FSelectingPass = false;
    }
}

LRESULT TFormMain::Notify(const NMHDR& header) {
    if (header.hwndFrom == Control("PageControl1") && header.code == TCN_SELCHANGE) {
        SelectPage(static_cast<int>(::SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    if (header.hwndFrom != Control("StringGridSatList"))
        return 0;
    if (header.code == NM_DBLCLK || header.code == NM_CLICK) {
        const auto& item = reinterpret_cast<const NMITEMACTIVATE&>(header);
        if (item.iItem >= 0 && item.iSubItem > 0 && header.code == NM_DBLCLK)
            StartCellEdit(item.iItem, item.iSubItem);
    } else if (header.code == LVN_KEYDOWN) {
        const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
        if (key.wVKey == VK_INSERT)
            ::PostMessageW(FHandle, WM_COMMAND, AddSatelliteId, 0);
        else if (key.wVKey == VK_DELETE)
            ::PostMessageW(FHandle, WM_COMMAND, RemoveSatelliteId, 0);
        else if (key.wVKey == VK_F2)
            StartCellEdit(static_cast<int>(::SendMessageW(header.hwndFrom, LVM_GETNEXTITEM,
                                                          static_cast<WPARAM>(-1), LVNI_SELECTED)),
                          1);
    }
    return 0;
}

void TFormMain::ShowGridMenu(int x, int y) {
    HWND grid = Control("StringGridSatList");
    if (x == -1 && y == -1) {
        RECT area{};
        ::GetWindowRect(grid, &area);
        x = area.left;
        y = area.top;
    } else {
        // The row clicked becomes the current one.
        LVHITTESTINFO hit{};
        hit.pt = {x, y};
        ::ScreenToClient(grid, &hit.pt);
        const auto row = ::SendMessageW(grid, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (row >= 0) {
            LVITEMW state{};
            state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageW(grid, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(&state));
        }
    }
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, AddSatelliteId, (W(AddSatelliteCaption) + L"\tIns").c_str());
    ::AppendMenuW(menu, MF_STRING, RemoveSatelliteId,
                  (W(RemoveSatelliteCaption) + L"\tDel").c_str());
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, FHandle, nullptr);
    ::DestroyMenu(menu);
}

void TFormMain::StartCellEdit(int row, int column) {
    HWND grid = Control("StringGridSatList");
    if (row < 0 || column <= 0 || column >= SatelliteGridColumns)
        return;
    EndCellEdit(true);
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    ::SendMessageW(grid, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&cell));
    ::MapWindowPoints(grid, ::GetParent(grid), reinterpret_cast<POINT*>(&cell), 2);
    wchar_t text[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 64;
    ::SendMessageW(grid, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    FCellRow = row;
    FCellColumn = column;
    FCellEdit = ::CreateWindowExW(
        0, L"EDIT", text, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell.left, cell.top,
        cell.right - cell.left, cell.bottom - cell.top + 2, ::GetParent(grid),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(CellEditId)), Instance(), nullptr);
    ::SendMessageW(FCellEdit, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
    ::SetWindowPos(FCellEdit, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowSubclass(FCellEdit, CellEditProc, 0, reinterpret_cast<DWORD_PTR>(this));
    ::SendMessageW(FCellEdit, EM_SETSEL, 0, -1);
    ::SetFocus(FCellEdit);
}

// Enter keeps the cell's text, Escape drops it.
LRESULT CALLBACK TFormMain::CellEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
    auto* form = reinterpret_cast<TFormMain*>(data);
    if (message == WM_GETDLGCODE)
        return DLGC_WANTALLKEYS;
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        form->EndCellEdit(wParam == VK_RETURN);
        return 0;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void TFormMain::EndCellEdit(bool keep) {
    if (FCellEdit == nullptr)
        return;
    HWND edit = FCellEdit;
    FCellEdit = nullptr;
    const std::string typed = Text(edit);
    ::RemoveWindowSubclass(edit, CellEditProc, 0);
    ::DestroyWindow(edit);
    HWND grid = Control("StringGridSatList");
    if (keep) {
        if (const auto text = AcceptCellText(FCellColumn, typed)) {
            std::wstring wide = W(*text);
            LVITEMW item{};
            item.iSubItem = FCellColumn;
            item.pszText = wide.data();
            ::SendMessageW(grid, LVM_SETITEMTEXTW, static_cast<WPARAM>(FCellRow),
                           reinterpret_cast<LPARAM>(&item));
            ReadGridRows();
            FProgram->StoreSatellites();
        }
    }
    ::SetFocus(grid);
}

void TFormMain::ReadGridRows() {
    HWND grid = Control("StringGridSatList");
    const auto cell = [grid](int row, int column) {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        ::SendMessageW(grid, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
        return Utf8FromWide(text);
    };
    // The channel cell shows a frequency in MHz; the row's own channel (with its mode and
    // passband) is kept while the cell still shows it.
    const std::vector<TSatelliteRow>& shown = FProgram->Controls().Rows;
    std::vector<TSatelliteRow> rows;
    const int count = static_cast<int>(::SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        const auto index = static_cast<std::size_t>(row);
        const std::string stored = index < shown.size() ? shown[index].Channel : std::string();
        rows.push_back({cell(row, 0), cell(row, 1), cell(row, 2),
                        ChannelFromCell(cell(row, ChannelColumn), stored)});
    }
    FProgram->Controls().Rows = rows;
}

void TFormMain::DrawPassLine(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_LISTBOX || item.itemID == static_cast<UINT>(-1) || !FProgram)
        return;
    const std::vector<TPassLine>& passes = FProgram->PassList().Passes();
    if (item.itemID >= passes.size())
        return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    COLORREF back = selected               ? ::GetSysColor(COLOR_HIGHLIGHT)
                    : item.itemID % 2 == 1 ? FAlternateRowColour
                                           : ::GetSysColor(COLOR_WINDOW);
    HBRUSH brush = ::CreateSolidBrush(back);
    ::FillRect(item.hDC, &item.rcItem, brush);
    ::DeleteObject(brush);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring text = W(PassDisplayText(passes[item.itemID], FServices.DrawingLocale()));
    ::TextOutW(item.hDC, item.rcItem.left + 2, item.rcItem.top + 1, text.c_str(),
               static_cast<int>(text.size()));
    if ((item.itemState & ODS_FOCUS) != 0)
        ::DrawFocusRect(item.hDC, &item.rcItem);
}

void TFormMain::ButtonTleFolderClick() {
    const std::string folder = FServices.ChooseFolder(FHandle, Text(Control("EditDataPath")));
    if (folder.empty())
        return;
    FProgram->SetElementFolder(folder);
    ShowElementSetProblems();
}

void TFormMain::RemoveSatelliteClick() {
    HWND grid = Control("StringGridSatList");
    const int row = static_cast<int>(
        ::SendMessageW(grid, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0 || row >= static_cast<int>(FProgram->Controls().Rows.size()))
        return;
    const std::string& name = FProgram->Controls().Rows[static_cast<std::size_t>(row)].Name;
    if (!FServices.Ask(FHandle, "Remove " + name + " from the satellite list?"))
        return;
    FProgram->RemoveSatellite(row);
    ShowControlValues();
    ShowElementSetProblems();
}

void TFormMain::ShowElementSetProblems() {
    std::string line, lines;
    for (const std::string& problem : FProgram->ElementSetProblems()) {
        line += (line.empty() ? "" : "; ") + problem;
        lines += (lines.empty() ? "" : "\n") + problem;
    }
    for (const char* name : {"LabelSatWarning", "LabelPassWarning"}) {
        SetText(name, line);
        SetHint(Control(name), lines);
    }
}

void TFormMain::ShowPortState() {
    SetText("LabelPortState", FProgram->PortState());
}

void TFormMain::ShowPassList() {
    // The list shows the user's own selection already.
    if (FSelectingPass)
        return;
    HWND list = Control("ListBoxSatelliteList");
    const TPassList& passList = FProgram->PassList();
    FShowingPassList = true;
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const TPassLine& pass : passList.Passes())
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(pass.Text).c_str()));
    ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(passList.ItemIndex()), 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    FShowingPassList = false;
}

void TFormMain::ShowControlValues() {
    if (!FProgram)
        return;
    FShowingValues = true;
    const TControlValues& controls = FProgram->Controls();
    SetText("EditDataPath", controls.DataPath);
    SetText("EditLatitude", controls.Latitude);
    SetText("EditLongitude", controls.Longitude);
    SetText("EditHeight", controls.Height);
    for (const TSpinEditSpec& spin : PassSettingSpinEdits())
        SetText(spin.Name, std::to_string(FProgram->PassSetting(spin.Setting)));
    FComboView->SetItemIndex(controls.ReceiverType);
    FCheckView->SetChecked(controls.ScanWhenIdle);
    HWND grid = Control("StringGridSatList");
    ::SendMessageW(grid, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t row = 0; row < controls.Rows.size(); ++row) {
        const TSatelliteRow& entry = controls.Rows[row];
        const std::string cells[] = {entry.Name, entry.Direction, entry.MinLength,
                                     ChannelCellText(entry.Channel)};
        for (int column = 0; column < SatelliteGridColumns; ++column) {
            std::wstring text = W(cells[column]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.iSubItem = column;
            item.pszText = text.data();
            ::SendMessageW(grid, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row,
                           reinterpret_cast<LPARAM>(&item));
        }
    }
    FShowingValues = false;
}

void TFormMain::SetTimerEnabled(bool enabled) {
    FTimerEnabled = enabled;
    if (enabled)
        ::SetTimer(FHandle, SequencerTimer, static_cast<UINT>(FTimerInterval), nullptr);
    else
        ::KillTimer(FHandle, SequencerTimer);
}

void TFormMain::SetTimerInterval(int milliseconds) {
    FTimerInterval = milliseconds;
    if (FTimerEnabled)
        ::SetTimer(FHandle, SequencerTimer, static_cast<UINT>(milliseconds), nullptr);
}

// The window's timer goes on while a box is open (its loop dispatches the ticks); a report
// whose box is still open is not opened again.
void TFormMain::ShowMessage(const std::string& text) {
    if (!FOpenBoxes.insert(text).second)
        return;
    FServices.ShowBox(FHandle, text, false);
    FOpenBoxes.erase(text);
}

void TFormMain::ShowError(const std::string& text) {
    if (!FOpenBoxes.insert(text).second)
        return;
    FServices.ShowBox(FHandle, text, true);
    FOpenBoxes.erase(text);
}

void TFormMain::CloseMainWindow() {
    ::PostMessageW(FHandle, WM_CLOSE, 0, 0);
}

void TFormMain::SetCaption(const std::string& caption) {
    ::SetWindowTextW(FHandle, W(caption).c_str());
}

void TFormMain::SetStatusText(const std::string& text) {
    FStatusText = text;
    ShowStatus();
}

void TFormMain::ShowStatus() {
    const std::string& shown = FStatusText.empty() ? FStatusLine : FStatusText;
    ::SendMessageW(Control("StatusBar1"), SB_SETTEXTW, 0,
                   reinterpret_cast<LPARAM>(W(shown).c_str()));
}

void TFormMain::StatusChanged(const TStationStatus&) {
    // What the station and the receiver really do, whenever the pass texts leave the bar free.
    FStatusLine = FProgram->StatusLine();
    SetHint(Control("StatusBar1"), FStatusLine);
    ShowStatus();
    ShowPortState();
}

void TFormMain::SetLedColor(TColor color) {
    if (color == FLedColour)
        return;
    FLedColour = color;
    ::InvalidateRect(Control("LED1"), nullptr, FALSE);
}

void TFormMain::SetUtcLabel(const std::string& text) {
    SetText("LabelUTC", text);
}

void TFormMain::SetNextPassLabel(const std::string& text) {
    SetText("LabelNextPass", text);
}

void TFormMain::SetVersionLabelVisible(bool visible) {
    ::ShowWindow(Control("LabelVersion"), visible ? SW_SHOW : SW_HIDE);
}

void TFormMain::SetProgressVisible(bool visible) {
    ::ShowWindow(Control("ProgressBarPass"), visible ? SW_SHOW : SW_HIDE);
}

void TFormMain::SetProgressRange(int maximum) {
    ::SendMessageW(Control("ProgressBarPass"), PBM_SETRANGE32, 0, maximum);
}

void TFormMain::SetProgressPosition(int position) {
    ::SendMessageW(Control("ProgressBarPass"), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TFormMain::SetSkipEnabled(bool enabled) {
    ::EnableWindow(Control("ButtonSkip"), enabled ? TRUE : FALSE);
}

void TFormMain::ShowBusyCursor() {
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

void TFormMain::RestoreCursor() {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

void TFormMain::ChannelSelectorChanged() {
    if (!FProgram)
        return;
    const TReceiverControl& receiver = FProgram->Receiver();
    for (int i = 0; i < ChannelItemCount; ++i) {
        ::SetWindowTextW(FChannelButtons[i], W(receiver.ItemText(i)).c_str());
        ::SendMessageW(FChannelButtons[i], BM_SETCHECK,
                       i == receiver.ChannelIndex() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    SetHint(Control("RadioGroupChannel"), receiver.Hint());
}

void TFormMain::SetTrackingText(const std::string& text) {
    SetText("EditDDEstring", text);
}

void TFormMain::SetTrackingHint(const std::string& hint) {
    SetHint(Control("EditDDEstring"), hint);
}

void TFormMain::SetVersionHint(const std::string& hint) {
    SetHint(Control("LabelVersion"), hint);
}

void TFormMain::SetPortHint(const std::string& hint) {
    SetHint(Control("ButtonPortSetup"), hint);
}

void TFormMain::ElementSetsRefreshed(TDateTime at, const std::string& text) {
    const TDateTimeParts parts = DecodeDateTime(at);
    char line[32];
    std::snprintf(line, sizeof line, "refreshed %02d:%02d UTC", parts.Hour, parts.Minute);
    SetText("LabelTleRefreshed", line);
    SetHint(Control("LabelTleRefreshed"), text);
}

void TFormMain::PassListBuilt(const std::vector<TPassLine>&) {
    ShowElementSetProblems();
}

int TFormMain::WindowState() const {
    if (::IsIconic(FHandle))
        return 1;
    return ::IsZoomed(FHandle) ? 2 : 0;
}

namespace {

RECT Frame(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(window, &placement);
    return placement.rcNormalPosition;
}

} // namespace

int TFormMain::Left() const {
    return Frame(FHandle).left;
}

int TFormMain::Top() const {
    return Frame(FHandle).top;
}

int TFormMain::Width() const {
    const RECT frame = Frame(FHandle);
    return frame.right - frame.left;
}

int TFormMain::Height() const {
    const RECT frame = Frame(FHandle);
    return frame.bottom - frame.top;
}

void TFormMain::SetLeft(int left) {
    ::SetWindowPos(FHandle, nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormMain::SetTop(int top) {
    ::SetWindowPos(FHandle, nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<TScreenArea> TFormMain::WorkAreas() const {
    std::vector<TScreenArea> areas;
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (::GetMonitorInfoW(monitor, &info)) {
                auto& found = *reinterpret_cast<std::vector<TScreenArea>*>(data);
                const RECT& work = info.rcWork;
                const TScreenArea area{work.left, work.top, work.right - work.left,
                                       work.bottom - work.top};
                if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0)
                    found.insert(found.begin(), area);
                else
                    found.push_back(area);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&areas));
    return areas;
}

} // namespace kestrune

// The Win32 main window over the program core, with a fake orbit component, a clock the test
// moves and the port on a loop-back device; its settings in the registry of the Wine prefix.

#include "winui/FormMain.h"

#include "platform/windows/Win32Registry.h"
#include "support/FakeServices.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

class TAnsweringSetup final : public IComSetupView {
public:
    bool ShowModal(TComSetupForm&) override { return false; }
};

class WinFormMainTest : public ::testing::Test, protected test::TFakeServices {
protected:
    TAnsweringSetup Setup;
    std::vector<std::string> Messages, Errors;

    std::unique_ptr<TFormMain> Open(const TProgramEnvironment& environment) {
        TFormMainServices services;
        services.ShowBox = [this](HWND, const std::string& text, bool error) {
            (error ? Errors : Messages).push_back(text);
        };
        services.Ask = [](HWND, const std::string&) { return false; };
        services.ChooseFolder = [](HWND, const std::string&) { return std::string(); };
        services.ComSetup = &Setup;
        auto form = std::make_unique<TFormMain>(environment, services);
        form->Show(SW_SHOWNOACTIVATE);
        return form;
    }

    static std::string Text(TFormMain& form, std::string_view name) {
        return TFormMain::Text(form.Control(name));
    }
};

// Every control of the table is a window where the table places it, in its parent's client
// area (group boxes and panels only move what they hold).
TEST_F(WinFormMainTest, TheControlsAreWhereTheTableSaysWithTheirCaptionsAndHints) {
    auto form = Open(Environment());
    std::map<std::string_view, POINT> offsets;
    for (const TControlSpec& entry : MainFormControls()) {
        if (entry.Kind == TControlKind::GroupBox || entry.Kind == TControlKind::RadioGroup ||
            entry.Kind == TControlKind::Panel) {
            const POINT outer = entry.Parent.empty() ? POINT{} : offsets[entry.Parent];
            offsets[entry.Name] = {outer.x + entry.Left, outer.y + entry.Top};
        }
        if (entry.Name.empty() || entry.Kind == TControlKind::TabPage ||
            entry.Kind == TControlKind::Panel)
            continue;
        HWND control = form->Control(entry.Name);
        RECT place{};
        ::GetWindowRect(control, &place);
        if (entry.Kind == TControlKind::SpinEdit) {
            // The edit and its arrows together.
            RECT arrows{};
            ::GetWindowRect(::GetWindow(control, GW_HWNDNEXT), &arrows);
            ::UnionRect(&place, &place, &arrows);
        }
        ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&place), 2);
        const POINT offset = offsets[entry.Parent];
        EXPECT_EQ(place.left, offset.x + entry.Left) << entry.Name;
        EXPECT_EQ(place.top, offset.y + entry.Top) << entry.Name;
        if (entry.Width > 0 && entry.Kind != TControlKind::DropDownList) {
            EXPECT_EQ(place.right - place.left, entry.Width) << entry.Name;
            EXPECT_EQ(place.bottom - place.top, entry.Height) << entry.Name;
        }
        if (!entry.Hint.empty()) {
            EXPECT_EQ(form->Hint(control), entry.Hint) << entry.Name;
        }
    }
    EXPECT_EQ(Text(*form, "ButtonExit"), "E&xit");
    EXPECT_EQ(Text(*form, "BitBtnReadZenolithLocn"), "From\r\nZenolith");
    EXPECT_FALSE(::IsWindowEnabled(form->Control("ButtonSkip")));
    EXPECT_FALSE(::IsWindowVisible(form->Control("ProgressBarPass")));
    RECT client{};
    ::GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, FormClientWidth);
    EXPECT_EQ(client.bottom, FormClientHeight);
    // First start: the defaults, no port to open, RX2 chosen, no data folder.
    EXPECT_EQ(Text(*form, "EditLatitude"), "55.9");
    EXPECT_EQ(Text(*form, "SpinEditDaysLookahead"), "21");
    EXPECT_EQ(Text(*form, "ComboBoxRxType"), "RX2");
    EXPECT_EQ(Text(*form, "LabelPortState"), "no port set up");
    EXPECT_EQ(Messages,
              (std::vector<std::string>{"Error opening: ",
                                        "Please select a path for the 2-line orbital data"}));
    EXPECT_FALSE(form->TimerEnabled());
}

// A typed number outside a spin edit's range is stored as typed and moved to the nearer bound
// when the focus leaves.
TEST_F(WinFormMainTest, SpinEditsClampTypedNumbersWhenTheFocusLeaves) {
    auto form = Open(Environment());
    HWND spin = form->Control("SpinEditPrePassGap");
    ::SetFocus(spin);
    ::SetWindowTextW(spin, L"99");
    EXPECT_EQ(form->Program().PassSetting(TPassSetting::PrePassGap), 99);
    ::SetFocus(form->Control("SpinEditPostPassGap"));
    EXPECT_EQ(Text(*form, "SpinEditPrePassGap"), "15");
    form.reset();
    EXPECT_EQ(StoredInteger("PrePassGap"), 15);
}

// What the program core shows through a pass reaches the window's controls; the ticks are the
// window's own timer messages (the core's own tests hold the texts and the port's bytes).
TEST_F(WinFormMainTest, APassRunsThroughTheWindowsTimer) {
    StorePort("loop://");
    Store("RxType", RxRx2);
    Store("TleDataPath", std::string("C:\\tle\\"));
    Store("PrePassGap", 3);
    Store("PostPassGap", 2);
    // NOAA 19 rises 20 s after the start for 5 s.
    Component.Passes["NOAA 19"] = "\"20261208100020 N 40 120 5 NOAA 19\"";
    auto form = Open(Environment());
    ASSERT_TRUE(Messages.empty()) << Messages.front();
    ASSERT_TRUE(form->TimerEnabled());
    const auto tickAt = [&](int second) {
        Clock.Set(Start + second * OneSecond);
        ::SendMessageW(form->Handle(), WM_TIMER, TFormMain::SequencerTimer, 0);
    };
    tickAt(0); // builds the pass list
    EXPECT_EQ(Text(*form, "LabelNextPass"), "Next pass: 10:00:20 UTC");
    EXPECT_EQ(::SendMessageW(form->Control("ListBoxSatelliteList"), LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(form->TimerInterval(), 1000);
    std::vector<std::string> captions;
    for (int second = 1; second <= 30; ++second) {
        tickAt(second);
        captions.push_back(TFormMain::Text(form->Handle()));
        if (second == 22) {
            EXPECT_EQ(Text(*form, "EditDDEstring"),
                      "UP0 DN137100000 UMFM-W DMFM-W AZ000 EL000 SNNOAA 19");
            EXPECT_EQ(Tracking.Texts.back(), Text(*form, "EditDDEstring"));
            EXPECT_EQ(form->LedColour(), ClLime);
            EXPECT_TRUE(::IsWindowEnabled(form->Control("ButtonSkip")));
            // The progress bar in the version label's place.
            EXPECT_TRUE(::IsWindowVisible(form->Control("ProgressBarPass")));
            EXPECT_FALSE(::IsWindowVisible(form->Control("LabelVersion")));
            wchar_t status[128] = {};
            ::SendMessageW(form->Control("StatusBar1"), SB_GETTEXTW, 0,
                           reinterpret_cast<LPARAM>(status));
            EXPECT_STREQ(status, L"  Receiving NOAA 19 northbound,  4s left");
            EXPECT_EQ(form->Title(), "NOAA 19 (4s)");
        }
    }
    EXPECT_EQ(captions[17], "Kestrune -  Pausing before signal 2s");
    EXPECT_EQ(captions[20], "NOAA 19 pass");
    EXPECT_EQ(captions[29], "RX scanning...");
    EXPECT_FALSE(::IsWindowEnabled(form->Control("ButtonSkip")));
    // The Exit button closes the window through its message loop.
    ::SendMessageW(form->Control("ButtonExit"), BM_CLICK, 0, 0);
    MSG message;
    bool quit = false;
    while (!quit && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        quit = message.message == WM_QUIT;
        ::DispatchMessageW(&message);
    }
    EXPECT_TRUE(quit);
    EXPECT_TRUE(Errors.empty());
}

// The settings of a window that ends with the session are in the user's registry key, where
// the station and the next start read them.
TEST_F(WinFormMainTest, TheSettingsAreInTheRegistryAfterTheWindowCloses) {
    constexpr wchar_t Key[] = L"Software\\Quillmere\\Kestrune";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Key);
    TWin32Registry registry;
    const TProgramEnvironment fake = Environment();
    const TProgramEnvironment environment{
        {registry, [] { return std::string("C:\\Kestrune\\Kestrune.exe"); }},
        fake.Clock,
        fake.Monotonic,
        fake.Sleeper,
        fake.Locale,
        fake.Tracking,
        fake.Devices,
        fake.Dispatcher,
        fake.Trace,
        fake.Processes,
        fake.RigTransport,
        fake.Downloads,
        fake.ConnectSatellites,
        fake.ComponentPath,
        fake.SchedulePath,
        fake.SettingsLocation};
    auto form = Open(environment);
    ::SetWindowTextW(form->Control("EditLatitude"), L"51.5");
    ::SendMessageW(form->Control("ButtonUpdateLocation"), BM_CLICK, 0, 0);
    ::SetWindowTextW(form->Control("SpinEditMinElevation"), L"7");
    ::SendMessageW(form->Control("CheckBoxScanWhenIdle"), BM_CLICK, 0, 0);
    // Logging off or shutting down: Windows ends the process when the window has answered.
    ::SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, 0);
    const auto value = [&](const wchar_t* name, DWORD type) {
        std::wstring text(64, L'\0');
        DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        DWORD found = 0;
        if (::RegGetValueW(HKEY_CURRENT_USER, Key, name, RRF_RT_ANY, &found, text.data(), &size) !=
                ERROR_SUCCESS ||
            found != type)
            return std::wstring(L"(missing)");
        if (type == REG_DWORD)
            return std::to_wstring(*reinterpret_cast<const DWORD*>(text.data()));
        return std::wstring(text.c_str());
    };
    EXPECT_EQ(value(L"ObsLatitude", REG_SZ), L"51.5");
    EXPECT_EQ(value(L"MinElevation", REG_DWORD), L"7");
    EXPECT_EQ(value(L"RxType", REG_DWORD), std::to_wstring(RxRx2));
    EXPECT_EQ(value(L"FormLeft", REG_DWORD), std::to_wstring(FormDesignLeft));
    EXPECT_EQ(value(L"ScanWhenIdle", REG_DWORD), L"0");
    form.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Key);
}

} // namespace
} // namespace kestrune

#pragma once
// The main window on Windows: the controls of the shared control table as Win32 common controls
// over the program core, as the Qt window is elsewhere. Its handlers are a few lines each that
// call the core; what the core shows arrives through IProgramView. The window timer, the serial
// port's hand-overs (a posted message) and the user's input all arrive through the one message
// loop of the GUI thread.

#include "app/FormLayout.h"
#include "app/Program.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <windows.h>

namespace kestrune {

class TPersistedCheckBox;
class TPersistedComboBox;

// The dialogs the window opens and the locale its lists are drawn with, replaceable so that
// tests can answer and choose them.
struct TFormMainServices {
    // A message box: the program's own message, or the error report.
    std::function<void(HWND owner, const std::string& text, bool error)> ShowBox;
    // The folder dialog: the chosen folder, or an empty text when the user cancels.
    std::function<std::string(HWND owner, const std::string& start)> ChooseFolder;
    // A yes-or-no question (removing a satellite): true for yes.
    std::function<bool(HWND owner, const std::string& text)> Ask;
    // The port setup dialog; null for the window's own.
    IComSetupView* ComSetup = nullptr;
    // The user's locale at the moment of drawing; the system's by default.
    std::function<TLocaleInfo()> DrawingLocale;
};

class TFormMain final : public IProgramView, private IFormPlacement {
public:
    // Posted by the serial port's thread: serve the hand-overs waiting for the GUI thread.
    static constexpr UINT ServePendingMessage = WM_APP + 1;
    static constexpr UINT_PTR SequencerTimer = 1, DownloadTimer = 2;

    // Creates the window and its controls (hidden), the persisted controls read their settings,
    // then the program core is created.
    explicit TFormMain(const TProgramEnvironment& environment, TFormMainServices services = {});
    // Ends the program (as Windows' end of the session does), then the window goes.
    ~TFormMain() override;
    TFormMain(const TFormMain&) = delete;
    TFormMain& operator=(const TFormMain&) = delete;

    HWND Handle() const { return FHandle; }
    // Shows the window; the first showing starts the program core.
    void Show(int showCommand);
    TProgram& Program() { return *FProgram; }
    // The control of the table named so (a radio group's first button for the group).
    HWND Control(std::string_view name) const;
    // A control's text and hint, as the user sees them.
    static std::string Text(HWND control);
    std::string Hint(HWND control) const;
    // The application's title (the taskbar's text when minimised).
    const std::string& Title() const { return FTitle; }
    bool TimerEnabled() const { return FTimerEnabled; }
    int TimerInterval() const { return FTimerInterval; }
    TColor LedColour() const { return FLedColour; }

    // IProgramView
    void SetTimerEnabled(bool enabled) override;
    void SetTimerInterval(int milliseconds) override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void CloseMainWindow() override;
    void SetCaption(const std::string& caption) override;
    void SetTitle(const std::string& title) override { FTitle = title; }
    void SetStatusText(const std::string& text) override;
    void SetLedColor(TColor color) override;
    void SetUtcLabel(const std::string& text) override;
    void SetNextPassLabel(const std::string& text) override;
    void SetVersionLabelVisible(bool visible) override;
    void SetProgressVisible(bool visible) override;
    void SetProgressRange(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetSkipEnabled(bool enabled) override;
    void ShowBusyCursor() override;
    void RestoreCursor() override;
    void ShowSetupTab() override { SelectPage(0); }
    void ShowTimerTab() override { SelectPage(3); }
    void ChannelSelectorChanged() override;
    void SetTrackingText(const std::string& text) override;
    void SetTrackingHint(const std::string& hint) override;
    void SetVersionHint(const std::string& hint) override;
    void SetPortHint(const std::string& hint) override;
    void ElementSetsRefreshed(TDateTime at, const std::string& text) override;
    void ShowControlValues() override;
    void PassListBuilt(const std::vector<TPassLine>& passes) override;
    void StatusChanged(const TStationStatus& status) override;

private:
    class TComboView;
    class TCheckView;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK LedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CellEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Ends the program core (lowering RTS, closing the port, writing the settings), then the
    // persisted controls write theirs; once only.
    void EndProgram();
    void CreateControls();
    HWND CreateControl(const TControlSpec& entry, HWND parent, int offsetX, int offsetY);
    void SetHint(HWND control, const std::string& hint);
    void SetText(std::string_view name, const std::string& text);
    void SelectPage(int index);
    // Runs a handler; what it throws goes to the error report.
    void Guard(const std::function<void()>& handler);
    void Command(int id, int code, HWND control);
    LRESULT Notify(const NMHDR& header);
    void DrawPassLine(const DRAWITEMSTRUCT& item);
    void PaintLed(HWND led);
    void FormShow();
    void ButtonTleFolderClick();
    void ShowPassList();
    void ShowElementSetProblems();
    void ShowPortState();
    // The pass texts, else what the station does.
    void ShowStatus();
    void RemoveSatelliteClick();
    void StartCellEdit(int row, int column);
    void EndCellEdit(bool keep);
    void ReadGridRows();
    void ShowGridMenu(int x, int y);

    // IFormPlacement
    int WindowState() const override;
    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    int ClientWidth() const override { return FormClientWidth; }
    int ClientHeight() const override { return FormClientHeight; }
    void RememberFrame(int, int) override {}
    void SetLeft(int left) override;
    void SetTop(int top) override;
    std::vector<TScreenArea> WorkAreas() const override;

    TFormMainServices FServices;
    std::unique_ptr<IComSetupView> FOwnComSetup;
    HWND FHandle = nullptr;
    HFONT FFont = nullptr;
    HWND FToolTip = nullptr;
    HBITMAP FLedBitmap = nullptr;
    HBRUSH FPageBrush = nullptr;
    std::map<std::string, HWND, std::less<>> FControls;
    std::map<HWND, std::string> FHints;
    std::map<HWND, COLORREF> FTextColours;
    HWND FPages[4] = {};
    HWND FChannelButtons[ChannelItemCount] = {};
    HWND FCellEdit = nullptr;
    int FCellRow = -1, FCellColumn = -1;
    std::set<std::string> FOpenBoxes;
    std::string FTitle = std::string(ApplicationTitle);
    std::string FFileLocations;
    // The pass texts of the status bar, and what the station does, shown when they are empty.
    std::string FStatusText, FStatusLine;
    IGuiDispatcher* FDispatcher = nullptr;
    bool FShown = false;
    bool FShowingValues = false;
    bool FShowingPassList = false, FSelectingPass = false;
    bool FClickHandlersAttached = true;
    bool FTimerEnabled = false;
    int FTimerInterval = 200;
    TColor FLedColour = ClLime;
    COLORREF FAlternateRowColour = 0;
    std::unique_ptr<TComboView> FComboView;
    std::unique_ptr<TCheckView> FCheckView;
    std::unique_ptr<TPersistedComboBox> FRxType;
    std::unique_ptr<TPersistedCheckBox> FScanWhenIdle;
    std::unique_ptr<TProgram> FProgram;
};

} // namespace kestrune

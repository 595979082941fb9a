#pragma once
// The Win32 window's dialogs: the port setup dialog, the about box, the folder dialog, the
// satellite chooser and the message boxes. Each is modal and runs its own message loop, in which
// the main window's timer and the port's hand-overs go on.

#include "core/ElementSets.h"
#include "serial/ComSetup.h"

#include <string>
#include <windows.h>

namespace kestrune {

// The port setup dialog "Setup": six lists in a " Settings " group, OK and Cancel.
class TComSetupDialog final : public IComSetupView {
public:
    TComSetupDialog(HWND owner, HFONT font) : FOwner(owner), FFont(font) {}
    bool ShowModal(TComSetupForm& form) override;

private:
    HWND FOwner;
    HFONT FFont;
};

// The about box: the version block's name, version, copyright, comments and web site (opened
// in the browser when clicked), and where the program keeps its files.
void ShowAboutBox(HWND owner, HFONT font, const std::string& fileLocations);

// The folder dialog, starting at `start`: the chosen folder, or an empty text.
std::string ChooseFolder(HWND owner, const std::string& title, const std::string& start);

// A name of the element sets, or an empty text.
std::string ChooseSatellite(HWND owner, HFONT font, const TElementSetIndex& sets);

// A text of the version block of the running executable ("FileVersion", "ProductName" ...).
std::string OwnVersionString(const std::string& name);

// Texts with "\n" or "\r" line breaks as Windows draws them, in UTF-16.
std::wstring WindowsLines(std::string_view text);

} // namespace kestrune

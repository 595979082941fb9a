#pragma once
// The main window's placement kept in seven integer settings.

#include "settings/RegistryVariables.h"

#include <memory>
#include <vector>

namespace kestrune {

// A screen's work area (the desktop without task bars), in pixels.
struct TScreenArea {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// What the placement settings need of a window. Left, top, width and height are those of the
// outer frame. A window that is not on the screen yet may not know its frame: it is told the
// frame the window had when its placement was stored, and places its client by that, so that
// the corner it is given is the corner it reports.
class IFormPlacement {
public:
    virtual ~IFormPlacement() = default;
    // 0 normal, 1 minimised, 2 maximised.
    virtual int WindowState() const = 0;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // How much wider and higher than the client area the frame was at the last store.
    virtual void RememberFrame(int extraWidth, int extraHeight) = 0;
    virtual void SetLeft(int left) = 0;
    virtual void SetTop(int top) = 0;
    // The work areas of the screens, the primary one first; empty when unknown.
    virtual std::vector<TScreenArea> WorkAreas() const = 0;
};

class TRegistryFormInfo {
public:
    // Creates "FormState", "FormLeft", "FormTop", "FormWidth", "FormHeight", "FormClientWidth"
    // and "FormClientHeight", in this order, each with the window's current value as default.
    TRegistryFormInfo(const TSettingsContext& context, IFormPlacement& window);
    // Captures the window's placement and writes the seven values.
    ~TRegistryFormInfo();
    TRegistryFormInfo(const TRegistryFormInfo&) = delete;
    TRegistryFormInfo& operator=(const TRegistryFormInfo&) = delete;

    // Moves the window to the stored left, then the stored top. A position at which the window
    // would not lie wholly inside a screen's work area is moved the least distance that puts it
    // inside the work area it overlaps most (the primary one when it overlaps none).
    void RestorePosition();

    const TRegistryInteger& FormState() const { return *FFormState; }
    const TRegistryInteger& FormLeft() const { return *FFormLeft; }
    const TRegistryInteger& FormTop() const { return *FFormTop; }
    const TRegistryInteger& FormWidth() const { return *FFormWidth; }
    const TRegistryInteger& FormHeight() const { return *FFormHeight; }
    const TRegistryInteger& FormClientWidth() const { return *FFormClientWidth; }
    const TRegistryInteger& FormClientHeight() const { return *FFormClientHeight; }

private:
    IFormPlacement& FWindow;
    std::unique_ptr<TRegistryInteger> FFormClientHeight;
    std::unique_ptr<TRegistryInteger> FFormClientWidth;
    std::unique_ptr<TRegistryInteger> FFormHeight;
    std::unique_ptr<TRegistryInteger> FFormLeft;
    std::unique_ptr<TRegistryInteger> FFormState;
    std::unique_ptr<TRegistryInteger> FFormTop;
    std::unique_ptr<TRegistryInteger> FFormWidth;
};

} // namespace kestrune

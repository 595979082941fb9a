#include "settings/RegistryFormInfo.h"

#include <algorithm>

namespace kestrune {

namespace {

// Positions are worked out in 64 bits: a stored position may be any 32-bit number.
using TPixels = long long;

TPixels Overlap(TPixels start, TPixels length, TPixels areaStart, TPixels areaLength) {
    return std::max(0LL,
                    std::min(start + length, areaStart + areaLength) - std::max(start, areaStart));
}

// The start that puts [start, start + length) inside the area with the least move; an area too
// small for it gets its start.
TPixels Clamp(TPixels start, TPixels length, TPixels areaStart, TPixels areaLength) {
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

} // namespace

TRegistryFormInfo::TRegistryFormInfo(const TSettingsContext& context, IFormPlacement& window)
    : FWindow(window) {
    const auto make = [&](const char* name, int value) {
        return std::make_unique<TRegistryInteger>(context, name, value);
    };
    FFormState = make("FormState", window.WindowState());
    FFormLeft = make("FormLeft", window.Left());
    FFormTop = make("FormTop", window.Top());
    FFormWidth = make("FormWidth", window.Width());
    FFormHeight = make("FormHeight", window.Height());
    FFormClientWidth = make("FormClientWidth", window.ClientWidth());
    FFormClientHeight = make("FormClientHeight", window.ClientHeight());
}

TRegistryFormInfo::~TRegistryFormInfo() {
    FFormState->Value = FWindow.WindowState();
    FFormLeft->Value = FWindow.Left();
    FFormTop->Value = FWindow.Top();
    FFormWidth->Value = FWindow.Width();
    FFormHeight->Value = FWindow.Height();
    FFormClientWidth->Value = FWindow.ClientWidth();
    FFormClientHeight->Value = FWindow.ClientHeight();
    // Each writes its value as it goes.
    FFormState.reset();
    FFormLeft.reset();
    FFormTop.reset();
    FFormWidth.reset();
    FFormHeight.reset();
    FFormClientWidth.reset();
    FFormClientHeight.reset();
}

void TRegistryFormInfo::RestorePosition() {
    FWindow.RememberFrame(FFormWidth->Value - FFormClientWidth->Value,
                          FFormHeight->Value - FFormClientHeight->Value);
    TPixels left = FFormLeft->Value;
    TPixels top = FFormTop->Value;
    const TPixels width = FWindow.Width();
    const TPixels height = FWindow.Height();
    const std::vector<TScreenArea> areas = FWindow.WorkAreas();
    const auto inside = [&](const TScreenArea& a) {
        return left >= a.Left && top >= a.Top && left + width <= a.Left + a.Width &&
               top + height <= a.Top + a.Height;
    };
    if (!areas.empty() && std::none_of(areas.begin(), areas.end(), inside)) {
        const auto overlap = [&](const TScreenArea& a) {
            return Overlap(left, width, a.Left, a.Width) * Overlap(top, height, a.Top, a.Height);
        };
        // max_element keeps the first of equals: the primary area when none overlaps.
        const TScreenArea& area = *std::max_element(
            areas.begin(), areas.end(),
            [&](const TScreenArea& a, const TScreenArea& b) { return overlap(a) < overlap(b); });
        left = Clamp(left, width, area.Left, area.Width);
        top = Clamp(top, height, area.Top, area.Height);
    }
    FWindow.SetLeft(static_cast<int>(left));
    FWindow.SetTop(static_cast<int>(top));
}

} // namespace kestrune

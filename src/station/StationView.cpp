#include "station/StationView.h"

#include "core/PassLine.h"

#include <cstdio>

namespace kestrune {

std::string ColorName(TColor color) {
    switch (color) {
    case ClYellow:
        return "yellow";
    case ClGreen:
        return "green";
    case ClLime:
        return "lime";
    case ClAqua:
        return "aqua";
    default:
        char text[16];
        std::snprintf(text, sizeof text, "0x%06X", color);
        return text;
    }
}

TStationView::TStationView(const TLocaleInfo& locale, TSink log)
    : FLocale(locale), FLog(std::move(log)) {}

namespace {

// One log line: a run of line breaks inside the text (a message of several paragraphs)
// becomes " / ".
std::string OneLine(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        while (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n'))
            ++i;
        line += " / ";
    }
    return line;
}

} // namespace

void TStationView::Log(const std::string& what, const std::string& text) {
    FLog(TLogLevel::Info, what + ": " + OneLine(text));
}

void TStationView::PassListBuilt(const std::vector<std::string>& lines) {
    Log("pass list", std::to_string(lines.size()) + (lines.size() == 1 ? " pass" : " passes"));
    for (const std::string& line : lines)
        Log("pass", PassDisplayText(line, FLocale));
    if (FAfterBuild)
        FAfterBuild();
}

void TStationView::Changed(std::optional<std::string>& last, const std::string& what,
                           const std::string& text) {
    if (last == text)
        return;
    last = text;
    Log(what, text);
}

void TStationView::SetStatusText(const std::string& text) {
    Changed(FStatus, "status", text);
}
void TStationView::SetCaption(const std::string& caption) {
    Changed(FCaption, "caption", caption);
}
void TStationView::SetTitle(const std::string& title) {
    Changed(FTitle, "title", title);
}

void TStationView::SetNextPassLabel(const std::string& text) {
    Changed(FNextPass, "next pass", text);
}

void TStationView::SetLedColor(TColor color) {
    // While idle the lamp blinks green and lime every second: one line when it starts, not one
    // a second. Every other change (to yellow, aqua, or lime after aqua) gets its line.
    const bool blink =
        FLed && (*FLed == ClGreen || *FLed == ClLime) && (color == ClGreen || color == ClLime);
    if (FLed == color || blink) {
        FLed = color;
        return;
    }
    FLed = color;
    Log("LED", ColorName(color));
}

void TStationView::ShowError(const std::string& text) {
    if (FRepeatErrorsQuietly && text == FLastError)
        return;
    FLastError = text;
    FLog(TLogLevel::Error, "error: " + OneLine(text));
}

void TStationView::Warn(const std::string& text) {
    FLog(TLogLevel::Warning, "warning: " + OneLine(text));
}

} // namespace kestrune

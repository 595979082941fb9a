#pragma once
// The headless station's stand-in for the window: it turns everything the window would show
// into log lines, one per change, and keeps the timer's state for the station's loop.

#include "app/Program.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrune {

// How much a log line matters, numbered as syslog numbers its priorities.
enum class TLogLevel : int { Error = 3, Warning = 4, Info = 6 };

class TStationView final : public IProgramView {
public:
    using TSink = std::function<void(TLogLevel level, const std::string& text)>;

    explicit TStationView(const TLocaleInfo& locale, TSink log);

    bool TimerEnabled() const { return FTimerEnabled; }
    int TimerInterval() const { return FTimerInterval; }
    bool CloseRequested() const { return FCloseRequested; }

    void Log(const std::string& what, const std::string& text);
    // While on, an error is not logged again when it repeats the one logged last (a failing
    // build tried again and again).
    void SetRepeatErrorsQuietly(bool quiet) { FRepeatErrorsQuietly = quiet; }

    void SetTimerEnabled(bool enabled) override { FTimerEnabled = enabled; }
    void SetTimerInterval(int milliseconds) override { FTimerInterval = milliseconds; }
    void ShowMessage(const std::string& text) override { Log("message", text); }
    void ShowError(const std::string& text) override;
    void Warn(const std::string& text) override;
    void Notice(const std::string& text) override { Log("notice", text); }
    void CommandOutput(const std::string& text) override { Log("output", text); }
    void ElementSetsRefreshed(TDateTime, const std::string& text) override { Notice(text); }
    void CloseMainWindow() override { FCloseRequested = true; }
    void SetCaption(const std::string& caption) override;
    void SetTitle(const std::string& title) override;
    void SetStatusText(const std::string& text) override;
    void SetLedColor(TColor color) override;
    void SetNextPassLabel(const std::string& text) override;
    void SetVersionHint(const std::string& hint) override { Log("component", hint); }
    // One line for the build's pass list and one for each pass, drawn as the pass list draws it;
    // then what is to happen after every build.
    void PassListBuilt(const std::vector<std::string>& lines) override;
    void SetAfterBuild(std::function<void()> afterBuild) { FAfterBuild = std::move(afterBuild); }

private:
    // Logs the text under its name when it differs from what was logged last under that name.
    void Changed(std::optional<std::string>& last, const std::string& what,
                 const std::string& text);

    const TLocaleInfo& FLocale;
    TSink FLog;
    std::function<void()> FAfterBuild;
    std::string FLastError;
    bool FRepeatErrorsQuietly = false;
    std::optional<std::string> FCaption, FTitle, FStatus, FNextPass;
    std::optional<TColor> FLed;
    bool FTimerEnabled = false;
    int FTimerInterval = 200;
    bool FCloseRequested = false;
};

// "yellow", "green", "lime", "aqua", or the value in hexadecimal.
std::string ColorName(TColor color);

} // namespace kestrune

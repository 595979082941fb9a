#pragma once
// The headless station's stand-in for the window: it logs what an operator reads (the pass list
// built, each pass's pause, tuning, reception and end, messages, warnings and errors), and keeps
// the timer's state for the station's loop. The window's captions and lamp are not logged.

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
    void SetVersionHint(const std::string& hint) override { Log("component", hint); }
    // One line for the build: how many passes, and the first as the pass list draws it; then
    // what is to happen after every build.
    void PassListBuilt(const std::vector<TPassLine>& passes) override;
    void SetAfterBuild(std::function<void()> afterBuild) { FAfterBuild = std::move(afterBuild); }
    // A line for each step of a pass and each change of the receiver's channel.
    void StatusChanged(const TStationStatus& status) override;
    // The last status, and its text for the service manager.
    const std::optional<TStationStatus>& Status() const { return FStatus; }

private:
    void LogStep(const TStationStatus& status);
    void LogReceiver(const TStationStatus& status);

    const TLocaleInfo& FLocale;
    TSink FLog;
    std::function<void()> FAfterBuild;
    std::string FLastError;
    bool FRepeatErrorsQuietly = false;
    std::optional<TStationStatus> FStatus;
    // The satellite of the pass under way, kept past the end of its reception for the line that
    // says it ended.
    std::string FPassSatellite;
    bool FTimerEnabled = false;
    int FTimerInterval = 200;
    bool FCloseRequested = false;
};

} // namespace kestrune

#pragma once
// A front-end that keeps what the program core shows it: the window's texts as they are now,
// and every message, error, warning and station status in order.

#include "app/Program.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrune::test {

class TRecordingView final : public IProgramView {
public:
    std::string Caption, Title, Status, UtcLabel, NextPassLabel, TrackingText, TrackingHint;
    TColor Led = 0;
    bool TimerEnabled = false;
    int TimerInterval = 200;
    bool SkipEnabled = false, Closed = false, VersionVisible = true, ProgressVisible = false;
    std::vector<std::string> Messages, Errors, Warnings, Notices;
    std::vector<TStationStatus> Statuses;

    void SetTimerEnabled(bool enabled) override { TimerEnabled = enabled; }
    void SetTimerInterval(int milliseconds) override { TimerInterval = milliseconds; }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    // Runs while an error report is open, as a modal message loop would deliver ticks.
    std::function<void()> WhileErrorShown;
    void ShowError(const std::string& text) override {
        Errors.push_back(text);
        if (WhileErrorShown)
            WhileErrorShown();
    }
    void CloseMainWindow() override { Closed = true; }
    void SetCaption(const std::string& text) override { Caption = text; }
    void SetTitle(const std::string& text) override { Title = text; }
    void SetStatusText(const std::string& text) override { Status = text; }
    void SetLedColor(TColor color) override { Led = color; }
    void SetUtcLabel(const std::string& text) override { UtcLabel = text; }
    void SetNextPassLabel(const std::string& text) override { NextPassLabel = text; }
    void SetSkipEnabled(bool enabled) override { SkipEnabled = enabled; }
    void SetVersionLabelVisible(bool visible) override { VersionVisible = visible; }
    void SetProgressVisible(bool visible) override { ProgressVisible = visible; }
    void SetTrackingText(const std::string& text) override { TrackingText = text; }
    void SetTrackingHint(const std::string& text) override { TrackingHint = text; }
    void Warn(const std::string& text) override { Warnings.push_back(text); }
    void Notice(const std::string& text) override { Notices.push_back(text); }
    void StatusChanged(const TStationStatus& status) override { Statuses.push_back(status); }
};

} // namespace kestrune::test

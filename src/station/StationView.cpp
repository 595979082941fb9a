#include "station/StationView.h"

#include "core/PassLine.h"

namespace kestrune {

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

void TStationView::PassListBuilt(const std::vector<TPassLine>& passes) {
    std::string text = std::to_string(passes.size()) + (passes.size() == 1 ? " pass" : " passes");
    if (!passes.empty())
        text += ", the first " + PassDisplayText(passes.front(), FLocale);
    Log("pass list", text);
    if (FAfterBuild)
        FAfterBuild();
}

void TStationView::StatusChanged(const TStationStatus& status) {
    if (!FStatus || FStatus->State != status.State)
        LogStep(status);
    if (!FStatus || FStatus->Channel != status.Channel ||
        FStatus->FrequencyHz != status.FrequencyHz ||
        FStatus->OwnFrequency != status.OwnFrequency ||
        FStatus->ScanWhenIdle != status.ScanWhenIdle)
        LogReceiver(status);
    FStatus = status;
}

void TStationView::LogStep(const TStationStatus& status) {
    switch (status.State) {
    case TSequencerState::Initialise:
        break;
    case TSequencerState::Idle:
        Log("idle", StationStatusText(status));
        break;
    case TSequencerState::PrePass:
        FPassSatellite = status.Satellite;
        Log("pass", FPassSatellite + " due, pausing " + std::to_string(status.SecondsLeft) +
                        " s with the receiver in standby");
        break;
    case TSequencerState::Receiving:
        Log("pass",
            "receiving " + FPassSatellite + " for " + std::to_string(status.SecondsLeft) + " s");
        break;
    case TSequencerState::PostPass:
        Log("pass", FPassSatellite + " ended");
        break;
    }
}

void TStationView::LogReceiver(const TStationStatus& status) {
    // A satellite's own frequency to the kilohertz, a channel's as the selector shows it.
    const std::string megahertz = MegahertzText(status.FrequencyHz, status.OwnFrequency ? 3 : 2);
    if (status.Channel)
        Log("receiver", "channel " + std::to_string(*status.Channel) + ", " + megahertz + " MHz");
    else if (status.OwnFrequency)
        Log("receiver", megahertz + " MHz, the satellite's own frequency");
    else
        Log("receiver", status.ScanWhenIdle ? "scanning" : "standby");
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

#include "core/TrackingString.h"

#include <cstdio>

namespace kestrune {

std::string TrackingString(const std::string& satellite, double frequencyHz) {
    char head[128];
    std::snprintf(head, sizeof head, "UP%.0f DN%.0f UM%s DM%s AZ%.3d EL%.3d SN", 0.0, frequencyHz,
                  "FM-W", "FM-W", 0, 0);
    return head + satellite;
}

void TTrackingOutput::PublishTrackingString(const std::string& satellite, double frequencyHz) {
    const std::string text = TrackingString(satellite, frequencyHz);
    FServer.SetItemText(text);
    FView.SetTrackingText(text);
    FView.SetTrackingHint(text);
}

} // namespace kestrune

#include "core/TrackingString.h"

#include <cstdio>

namespace kestrune {

std::string TrackingString(const std::string& satellite, double frequencyHz) {
    char head[128];
    std::snprintf(head, sizeof head, "UP%.0f DN%.0f UM%s DM%s AZ%.3d EL%.3d SN", 0.0, frequencyHz,
                  "FM-W", "FM-W", 0, 0);
    return head + satellite;
}

std::string DdeStartErrorText(unsigned code) {
    // DMLERR_LOW_MEMORY, DMLERR_MEMORY_ERROR and DMLERR_NO_CONV_ESTABLISHED have texts of their
    // own; the two blanks of the last one are the text's own.
    const char* format = code == 0x4007 || code == 0x4008
                             ? "Error occurred when DDE ran out of memory ($0%x)"
                         : code == 0x400A ? "DDE Error - conversation not established ($0%x)"
                                          : "An error returned from DDE  ($0%x)";
    char text[96];
    std::snprintf(text, sizeof text, format, code);
    return text;
}

void TTrackingOutput::PublishTrackingString(const std::string& satellite, double frequencyHz) {
    const std::string text = TrackingString(satellite, frequencyHz);
    FServer.SetItemText(text);
    FView.SetTrackingText(text);
    FView.SetTrackingHint(text);
}

} // namespace kestrune

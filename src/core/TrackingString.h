#pragma once
// The one-line tracking string published once a tick, and the places it goes to.

#include "core/TrackingServer.h"

#include <string>

namespace kestrune {

// "UP0 DN137620000 UMFM-W DMFM-W AZ000 EL000 SNNOAA 15": downlink frequency in Hz, the fixed
// mode, azimuth and elevation fields, and the satellite's name (empty when none).
std::string TrackingString(const std::string& satellite, double frequencyHz);

// Why the tracking server could not start, by the DDE library's error code: "Error occurred when
// DDE ran out of memory ($04007)" and the like.
std::string DdeStartErrorText(unsigned code);

// The read-only edit box at the bottom of the window that shows the string.
class ITrackingView {
public:
    virtual ~ITrackingView() = default;
    virtual void SetTrackingText(const std::string& text) = 0;
    virtual void SetTrackingHint(const std::string& hint) = 0;
};

class TTrackingOutput {
public:
    TTrackingOutput(ITrackingServer& server, ITrackingView& view) : FServer(server), FView(view) {}
    // The server's item first, then the edit box's text, then its hint.
    void PublishTrackingString(const std::string& satellite, double frequencyHz);

private:
    ITrackingServer& FServer;
    ITrackingView& FView;
};

} // namespace kestrune

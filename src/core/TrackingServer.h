#pragma once
// Where the tracking string goes for other programs on the machine: one item ("Data") of one
// topic ("Tracking") of the program's service, that clients can request, hold a link on, or
// poke.

#include <string>

namespace kestrune {

class ITrackingServer {
public:
    virtual ~ITrackingServer() = default;
    // Replaces the item's text (one line, without its line end) and updates every linked
    // client, even when the text did not change.
    virtual void SetItemText(const std::string& text) = 0;
};

} // namespace kestrune

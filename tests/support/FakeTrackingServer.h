#pragma once

#include "core/TrackingServer.h"

#include <string>
#include <vector>

namespace kestrune::test {

// Keeps every text the item was given.
class TFakeTrackingServer final : public ITrackingServer {
public:
    std::vector<std::string> Texts;
    void SetItemText(const std::string& text) override { Texts.push_back(text); }
};

} // namespace kestrune::test

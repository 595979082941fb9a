#pragma once
// kestrune-predict: the coming passes over a station, from the command line, with the same
// orbit-prediction component and schedule builder as the window. Each platform's main hands over
// the arguments (as UTF-8, without the program's name), its way of making the component and its
// clock.

#include "core/DateTime.h"
#include "core/Satellites.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrune {

using TConnectSatellites = std::function<std::unique_ptr<TSatellites>()>;

// The program's exit status: 0, 1 when it cannot predict, 2 for a bad command line.
int PredictMain(const std::vector<std::string>& arguments, const TConnectSatellites& connect,
                const IClock& clock);

} // namespace kestrune

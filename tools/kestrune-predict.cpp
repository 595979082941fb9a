// kestrune-predict on Linux: the component is the module beside the executable.

#include "platform/linux/LogStream.h"
#include "platform/linux/ModuleLoader.h"
#include "platform/linux/SystemClock.h"
#include "tools/Predict.h"

using namespace kestrune;

int main(int argc, char** argv) {
    OpenStandardDescriptors();
    const TSystemClock clock;
    return PredictMain(
        std::vector<std::string>(argv + 1, argv + argc),
        [] { return ConnectSatellites(SatellitesModulePath()); }, clock);
}

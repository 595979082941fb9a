// kestrune-predict.exe: the component is the COM server QmrSatLib.dll beside the executable.

#include "platform/windows/ConsoleProgram.h"
#include "platform/windows/ModuleLoader.h"
#include "platform/windows/SystemClock.h"
#include "tools/Predict.h"

using namespace kestrune;

int wmain(int argc, wchar_t** argv) {
    SetUpConsoleStreams();
    const TConsoleArguments arguments(argc, argv);
    const std::vector<std::string> texts = arguments.Texts();
    const TSystemClock clock;
    return PredictMain(
        std::vector<std::string>(texts.begin() + 1, texts.end()),
        [] { return ConnectSatellites(SatellitesModulePath()); }, clock);
}

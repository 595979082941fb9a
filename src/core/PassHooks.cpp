#include "core/PassHooks.h"

#include <exception>

namespace kestrune {

TEnvironmentList ReceptionEnvironment(const TReception& reception) {
    TEnvironmentList environment{
        {"KESTRUNE_SATELLITE", reception.Satellite},
        {"KESTRUNE_FREQUENCY_HZ", std::to_string(reception.FrequencyHz)},
        {"KESTRUNE_DIRECTION", std::string(1, reception.Direction)},
        {"KESTRUNE_LENGTH_S", std::to_string(reception.LengthS)},
        {"KESTRUNE_START_UTC", FormatIsoUtc(reception.Start, false)},
        {"KESTRUNE_END_UTC", FormatIsoUtc(reception.Start + reception.LengthS * OneSecond, false)},
    };
    if (reception.MaxElevationDeg)
        environment.emplace_back("KESTRUNE_MAX_ELEVATION",
                                 std::to_string(*reception.MaxElevationDeg));
    if (reception.MaxAzimuthDeg)
        environment.emplace_back("KESTRUNE_MAX_AZIMUTH", std::to_string(*reception.MaxAzimuthDeg));
    return environment;
}

TPassHooks::TPassHooks(TPassCommands commands, IProcessLauncher& launcher, const IClock& clock,
                       TWrite output, TWrite warn)
    : FCommands(std::move(commands)), FLauncher(launcher), FClock(clock),
      FOutput(std::move(output)), FWarn(std::move(warn)) {}

void TPassHooks::ReceptionStarted(const TReception& reception) {
    FEnvironment = ReceptionEnvironment(reception);
    Run("pass start command", FCommands.Start, true);
}

void TPassHooks::ReceptionEnded() {
    if (!FCommands.End.empty()) {
        Run("pass end command", FCommands.End, false);
        return;
    }
    for (TRun& run : FRuns) {
        if (run.PassStart && run.StopAsked == 0) {
            run.Process->Stop(false);
            run.StopAsked = FClock.UtcNow();
        }
    }
}

void TPassHooks::Run(const std::string& name, const std::string& command, bool passStart) {
    if (command.empty())
        return;
    try {
        TRun run;
        run.Process = FLauncher.Start(command, FEnvironment);
        run.Name = name;
        run.PassStart = passStart;
        FRuns.push_back(std::move(run));
    } catch (const std::exception& error) {
        FWarn("the " + name + " could not be started: " + error.what());
    }
}

void TPassHooks::Service() {
    for (auto run = FRuns.begin(); run != FRuns.end();) {
        const bool ended = !run->Process->Running();
        PassOn(*run, ended);
        if (ended) {
            // A command ended on purpose reports the signal that ended it; that is no failure.
            const std::string failure = run->Process->Failure();
            if (!failure.empty() && run->StopAsked == 0)
                FWarn("the " + run->Name + " failed: " + failure);
            run = FRuns.erase(run);
            continue;
        }
        if (run->StopAsked != 0 && !run->Forced &&
            ToMilliseconds(FClock.UtcNow()) >=
                ToMilliseconds(run->StopAsked + StopGraceS * OneSecond)) {
            run->Process->Stop(true);
            run->Forced = true;
        }
        ++run;
    }
}

void TPassHooks::PassOn(TRun& run, bool ended) {
    run.Partial += run.Process->TakeOutput();
    std::size_t begin = 0;
    for (std::size_t end; (end = run.Partial.find('\n', begin)) != std::string::npos;
         begin = end + 1)
        FOutput(run.Name + ": " + run.Partial.substr(begin, end - begin));
    run.Partial.erase(0, begin);
    if (ended && !run.Partial.empty())
        FOutput(run.Name + ": " + run.Partial);
}

} // namespace kestrune

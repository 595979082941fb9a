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

TPassHooks::TPassHooks(TPassCommands commands, IProcessLauncher& launcher,
                       const IMonotonicClock& clock, TWrite output, TWrite warn)
    : FCommands(std::move(commands)), FLauncher(launcher), FClock(clock),
      FOutput(std::move(output)), FWarn(std::move(warn)) {}

TPassHooks::~TPassHooks() {
    // Every group is asked at once, so that they share the grace; each process object then waits
    // for its own group and makes it end.
    for (TRun& run : FRuns) {
        if (run.Process->GroupRunning())
            run.Process->Stop(false);
    }
}

void TPassHooks::ReceptionStarted(const TReception& reception) {
    FEnvironment = ReceptionEnvironment(reception);
    Run("pass start command", FCommands.Start, true);
}

void TPassHooks::ReceptionEnded() {
    if (!FCommands.End.empty()) {
        Run("pass end command", FCommands.End, false);
        return;
    }
    // What the start command left running in the background is ended with it: a recorder must
    // not hold the receiver into the next pass.
    for (TRun& run : FRuns) {
        if (run.PassStart && !run.StopAskedMs && run.Process->GroupRunning()) {
            run.Process->Stop(false);
            run.StopAskedMs = FClock.Milliseconds();
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
        if (!run->Ended && !run->Process->Running()) {
            run->Ended = true;
            // A command ended on purpose reports the signal that ended it; that is no failure.
            const std::string failure = run->Process->Failure();
            if (!failure.empty() && !run->StopAskedMs)
                FWarn("the " + run->Name + " failed: " + failure);
        }
        const bool groupEnded = run->Ended && !run->Process->GroupRunning();
        PassOn(*run, groupEnded);
        if (groupEnded) {
            run = FRuns.erase(run);
            continue;
        }
        if (run->StopAskedMs && !run->Forced &&
            FClock.Milliseconds() >= *run->StopAskedMs + StopGraceS * 1000LL) {
            run->Process->Stop(true);
            run->Forced = true;
        }
        ++run;
    }
}

namespace {

// The text without a character of several bytes cut short at its end.
std::size_t WholeUtf8Length(std::string_view text) {
    for (std::size_t back = 1; back <= 4 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte
        const std::size_t length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        return length > back ? text.size() - back : text.size();
    }
    return text.size();
}

} // namespace

void TPassHooks::PassOn(TRun& run, bool last) {
    const std::string output = run.Process->TakeOutput();
    std::string_view rest(output);
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;
         rest.remove_prefix(end + 1)) {
        PassOnLine(run, rest.substr(0, end));
        if (!std::exchange(run.CuttingLine, false))
            FOutput(run.Name + ": " + run.Partial);
        run.Partial.clear();
    }
    PassOnLine(run, rest);
    if (last && !run.Partial.empty())
        FOutput(run.Name + ": " + run.Partial);
}

void TPassHooks::PassOnLine(TRun& run, std::string_view line) {
    if (run.CuttingLine)
        return;
    if (run.Partial.size() + line.size() <= MaxOutputLineBytes) {
        run.Partial += line;
        return;
    }
    // What fits is said at once; the rest of the line is dropped as it comes.
    run.Partial += line.substr(0, MaxOutputLineBytes - run.Partial.size());
    run.Partial.resize(WholeUtf8Length(run.Partial));
    FOutput(run.Name + ": " + run.Partial + " [line cut at " + std::to_string(MaxOutputLineBytes) +
            " bytes]");
    run.Partial.clear();
    run.CuttingLine = true;
}

} // namespace kestrune

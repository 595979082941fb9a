#include "station/Station.h"

#include "core/Text.h"

#include <algorithm>

namespace kestrune {

TStation::TStation(TSystemServices& services, ITrackingServer& tracking, TStationView::TSink log,
                   std::function<void()> wakeUp, std::function<void(const std::string&)> notify)
    : FClock(services.Clock()), FMonotonic(services.Monotonic()), FNotify(std::move(notify)),
      FRegistry(services.Registry()), FView(services.Locale(), std::move(log)),
      FDispatcher(std::move(wakeUp)), FTicks(FClock, FMonotonic),
      FPlan([this] { return FolderState(PathFromUtf8(FProgram->Controls().DataPath)); },
            FMonotonic.Milliseconds()) {
    const TSettingsContext settings{FRegistry, [] { return std::string(WindowProgram); }};
    FProgram = std::make_unique<TProgram>(services.Environment(settings, tracking, FDispatcher),
                                          FView, nullptr);
    FView.SetAfterBuild([this] { CheckElementSets(); });
    FProgram->Start();
}

TStation::~TStation() {
    FView.SetTimerEnabled(false);
    FProgram.reset();
}

int TStation::WaitMs() {
    const int waitMs = FTicks.WaitMs(FView.TimerEnabled(), FView.TimerInterval());
    return waitMs < 0 ? 1000 : std::min(waitMs, 1000);
}

void TStation::Service() {
    const bool ticked = FTicks.TakeDue();
    if (ticked)
        FProgram->Tick();
    FProgram->ServiceDownloads();
    if (ticked || !FView.TimerEnabled()) {
        // The first tick is the first build; a timer that never started has nothing to build.
        FNotify(FReady ? "WATCHDOG=1" : "READY=1");
        FReady = true;
    }
    // What `systemctl status` shows: the next pass, or the pass under way.
    if (const std::string status = StationStatusText(FProgram->Status());
        status != FNotifiedStatus) {
        FNotify("STATUS=" + status);
        FNotifiedStatus = status;
    }
    const TPassSequencer& sequencer = FProgram->Sequencer();
    const TStationState state{
        FMonotonic.Milliseconds(),    FClock.UtcNow(),      sequencer.State(), FView.TimerEnabled(),
        FProgram->PassList().Empty(), sequencer.NextStart()};
    if (const auto reason = FPlan.Check(state)) {
        // A failing build is tried again without a word; only a new failure is logged.
        if (!FPlan.Failing())
            FView.Notice(*reason);
        Restart();
    }
    FView.SetRepeatErrorsQuietly(FPlan.Failing());
}

void TStation::CheckElementSets() {
    for (const std::string& problem : FProgram->ElementSetProblems()) {
        if (FElementProblems.insert(problem).second)
            FView.Warn(problem);
    }
}

void TStation::Restart() {
    FProgram->Rebuild();
    FTicks.Reset();
}

} // namespace kestrune

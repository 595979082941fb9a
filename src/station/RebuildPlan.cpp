#include "station/RebuildPlan.h"

#include "core/ElementSets.h"

namespace kestrune {

std::string FolderState(const std::filesystem::path& folder) {
    const TFolderState state = ReadFolderState(folder);
    if (!state.Listed)
        return "the folder cannot be listed";
    std::string text;
    for (const TFolderState::TFile& file : state.Files)
        text += file.Name + " " + std::to_string(file.Size) + " " +
                std::to_string(file.Modified.time_since_epoch().count()) + "\n";
    return text;
}

TRebuildPlan::TRebuildPlan(std::function<std::string()> folderState, long long nowMs)
    : FFolderState(std::move(folderState)), FLastBuildMs(nowMs), FNextScanMs(nowMs) {}

std::optional<std::string> TRebuildPlan::Check(const TStationState& state) {
    if (state.NowMs >= FNextScanMs) {
        FNextScanMs = state.NowMs + FolderScanMs;
        std::string folder = FFolderState();
        FFolderChanged = FFolderChanged || (FFolder && *FFolder != folder);
        FFolder = std::move(folder);
    }

    // The sequencer waits in its first state with the timer off only after a failed build (or
    // with no usable data at start, which a build then reports).
    if (state.State == TSequencerState::Initialise && !state.TimerEnabled) {
        if (!FRetryAtMs)
            FRetryAtMs = state.NowMs + FirstRetryMs;
        if (state.NowMs < *FRetryAtMs)
            return std::nullopt;
        FRetryAtMs = state.NowMs + RetryMs;
        return Rebuild(state.NowMs, "trying the failed build again");
    }
    if (state.State != TSequencerState::Idle || !state.TimerEnabled)
        return std::nullopt;
    FRetryAtMs.reset();

    if (state.PassListEmpty && state.NowMs - FLastBuildMs >= EmptyListRebuildMs)
        return Rebuild(state.NowMs, "the pass list is empty");
    if (!Quiet(state))
        return std::nullopt;
    if (FFolderChanged)
        return Rebuild(state.NowMs, "the element files changed");
    if (state.NowMs - FLastBuildMs >= DailyRebuildMs)
        return Rebuild(state.NowMs, "the pass list is a day old");
    return std::nullopt;
}

bool TRebuildPlan::Quiet(const TStationState& state) const {
    return state.PassListEmpty || (state.NextStart - state.Now) * SecondsPerDay > QuietBeforePassS;
}

std::string TRebuildPlan::Rebuild(long long nowMs, std::string reason) {
    FLastBuildMs = nowMs;
    FFolderChanged = false;
    return "rebuilding the pass list: " + reason;
}

} // namespace kestrune

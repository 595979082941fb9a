#pragma once
// When the unattended station rebuilds its pass list on its own, where a window user would press
// Restart: a failed build is tried again after a minute, then every ten minutes; a list that has
// run out, a day-old list and changed element files are rebuilt at a quiet moment, never during
// a pass or its pauses.

#include "core/PassSequencer.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kestrune {

// What the plan looks at, each time round the station's loop.
struct TStationState {
    long long NowMs; // the monotonic clock
    TDateTime Now;   // the wall clock
    TSequencerState State;
    bool TimerEnabled; // off after a failed build, until a restart
    bool PassListEmpty;
    TDateTime NextStart;
};

constexpr long long FirstRetryMs = 60'000;
constexpr long long RetryMs = 10 * 60'000;
constexpr long long EmptyListRebuildMs = 60 * 60'000;
constexpr long long DailyRebuildMs = 24 * 60 * 60'000LL;
constexpr long long FolderScanMs = 60'000;
// A rebuild must be over well before the next pass is due.
constexpr double QuietBeforePassS = 5 * 60;

// The names, sizes and modification times of the folder's regular files (as the orbit component
// watches them), one per line; a line of its own when the folder cannot be listed.
std::string FolderState(const std::filesystem::path& folder);

class TRebuildPlan {
public:
    // `folderState` describes the element files (names, times, sizes); it is asked at most once
    // a minute. `nowMs` is when the station started its first build.
    TRebuildPlan(std::function<std::string()> folderState, long long nowMs);

    // Why the station should rebuild now, or nothing.
    std::optional<std::string> Check(const TStationState& state);
    // Whether the last build failed and is waiting for its retry.
    bool Failing() const { return FRetryAtMs.has_value(); }

private:
    bool Quiet(const TStationState& state) const;
    std::string Rebuild(long long nowMs, std::string reason);

    std::function<std::string()> FFolderState;
    long long FLastBuildMs;
    std::optional<long long> FRetryAtMs;
    long long FNextScanMs;
    std::optional<std::string> FFolder;
    bool FFolderChanged = false;
};

} // namespace kestrune

#pragma once
// The user's commands run at the start and at the end of each reception (a recorder, a
// decoder), through the shell, with the pass in their environment. They run beside the
// program: started on a tick, looked at on every later one, never waited for.

#include "core/DateTime.h"
#include "core/PassSequencer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune {

using TEnvironmentList = std::vector<std::pair<std::string, std::string>>;

// KESTRUNE_SATELLITE, KESTRUNE_FREQUENCY_HZ, KESTRUNE_DIRECTION, KESTRUNE_LENGTH_S,
// KESTRUNE_START_UTC, KESTRUNE_END_UTC and, when the pass line has them, KESTRUNE_MAX_ELEVATION
// and KESTRUNE_MAX_AZIMUTH.
TEnvironmentList ReceptionEnvironment(const TReception& reception);

// One command started by IProcessLauncher, in a process group of its own: the shell is its
// leader, and whatever it starts (in the background too) belongs to the group. Destroying it ends
// the group if anything of it still runs.
class IChildProcess {
public:
    virtual ~IChildProcess() = default;
    // Whether the command (the group's leader) still runs; once it has ended it is reaped, never
    // waited for.
    virtual bool Running() = 0;
    // Whether anything of its group still runs: the leader, or what it left running in the
    // background. Once false, it stays false and the group is never signalled again.
    virtual bool GroupRunning() = 0;
    // Once it has ended: empty when it succeeded, else what went wrong ("exit status 2").
    virtual std::string Failure() const = 0;
    // Signals the whole group, whether its leader has ended or not: a request to end, or with
    // `force` an order.
    virtual void Stop(bool force) = 0;
    // What it has written to its standard output and error since the last call; never waits.
    virtual std::string TakeOutput() = 0;
};

class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    // Starts `/bin/sh -c command` with the program's environment plus these variables; throws
    // when it cannot.
    virtual std::unique_ptr<IChildProcess> Start(const std::string& command,
                                                 const TEnvironmentList& environment) = 0;
};

struct TPassCommands {
    std::string Start; // "PassStartCommand"; empty for none
    std::string End;   // "PassEndCommand"; empty for none
};

// How long a start command has to end after it was asked to, before it is made to.
constexpr int StopGraceS = 5;
// How long the commands still running when the program ends have to end, before they are made
// to.
constexpr int FinalGraceMs = 2000;
// The longest line of a command's output that is passed on: the rest of a longer one is dropped
// (a command writing without line breaks must not fill the log and the memory).
constexpr std::size_t MaxOutputLineBytes = 2048;

class TPassHooks final : public IReceptionListener {
public:
    using TWrite = std::function<void(const std::string& text)>;

    // `output` takes each line the commands write, `warn` each failure (once per run). Waits are
    // measured on `clock`, which a step of the wall clock does not move.
    TPassHooks(TPassCommands commands, IProcessLauncher& launcher, const IMonotonicClock& clock,
               TWrite output, TWrite warn);
    // Ends the process groups of every command still running (what they left running in the
    // background too): SIGTERM, then SIGKILL after FinalGraceMs.
    ~TPassHooks() override;
    TPassHooks(const TPassHooks&) = delete;
    TPassHooks& operator=(const TPassHooks&) = delete;

    // Runs the start command.
    void ReceptionStarted(const TReception& reception) override;
    // Runs the end command; without one, asks the pass's start command to end if anything of its
    // group still runs, whether the command itself has ended or not.
    void ReceptionEnded() override;
    // Once a tick: passes on the commands' output, reaps and reports those that ended, forgets
    // those whose groups have ended, and makes a start command end that was asked to StopGraceS
    // seconds ago.
    void Service();

    // Commands started whose groups have not yet been seen to end.
    std::size_t RunningCount() const { return FRuns.size(); }

private:
    struct TRun {
        std::string Name;
        std::unique_ptr<IChildProcess> Process;
        bool PassStart = false;
        // Output after the last line break, and whether the rest of a line too long is dropped.
        std::string Partial;
        bool CuttingLine = false;
        // Whether the command itself (the group's leader) has ended.
        bool Ended = false;
        // When it was asked to end, on the monotonic clock.
        std::optional<long long> StopAskedMs;
        bool Forced = false;
    };

    void Run(const std::string& name, const std::string& command, bool passStart);
    // Passes on the output's whole lines; with `last`, what is left as well.
    void PassOn(TRun& run, bool last);
    void PassOnLine(TRun& run, std::string_view line);

    const TPassCommands FCommands;
    IProcessLauncher& FLauncher;
    const IMonotonicClock& FClock;
    TWrite FOutput, FWarn;
    TEnvironmentList FEnvironment;
    std::vector<TRun> FRuns;
};

} // namespace kestrune

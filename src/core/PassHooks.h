#pragma once
// The user's commands run at the start and at the end of each reception (a recorder, a
// decoder), through the shell, with the pass in their environment. They run beside the
// program: started on a tick, looked at on every later one, never waited for.

#include "core/DateTime.h"
#include "core/PassSequencer.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kestrune {

using TEnvironmentList = std::vector<std::pair<std::string, std::string>>;

// KESTRUNE_SATELLITE, KESTRUNE_FREQUENCY_HZ, KESTRUNE_DIRECTION, KESTRUNE_LENGTH_S,
// KESTRUNE_START_UTC, KESTRUNE_END_UTC and, when the pass line has them, KESTRUNE_MAX_ELEVATION
// and KESTRUNE_MAX_AZIMUTH.
TEnvironmentList ReceptionEnvironment(const TReception& reception);

// One command started by IProcessLauncher, in a process group of its own. Destroying it ends
// the group if the command still runs.
class IChildProcess {
public:
    virtual ~IChildProcess() = default;
    // Whether the command still runs; once it has ended it is reaped, never waited for.
    virtual bool Running() = 0;
    // Once it has ended: empty when it succeeded, else what went wrong ("exit status 2").
    virtual std::string Failure() const = 0;
    // Signals the whole group: a request to end, or with `force` an order.
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

class TPassHooks final : public IReceptionListener {
public:
    using TWrite = std::function<void(const std::string& text)>;

    // `output` takes each line the commands write, `warn` each failure (once per run).
    TPassHooks(TPassCommands commands, IProcessLauncher& launcher, const IClock& clock,
               TWrite output, TWrite warn);

    // Runs the start command.
    void ReceptionStarted(const TReception& reception) override;
    // Runs the end command; without one, asks the pass's start command to end if it still runs.
    void ReceptionEnded() override;
    // Once a tick: passes on the commands' output, reaps and reports those that ended, and makes
    // a start command end that was asked to StopGraceS seconds ago.
    void Service();

    // Commands started and not yet seen to end.
    std::size_t RunningCount() const { return FRuns.size(); }

private:
    struct TRun {
        std::string Name;
        std::unique_ptr<IChildProcess> Process;
        bool PassStart = false;
        // Output after the last line break.
        std::string Partial;
        // When it was asked to end; 0 when it was not.
        TDateTime StopAsked = 0;
        bool Forced = false;
    };

    void Run(const std::string& name, const std::string& command, bool passStart);
    void PassOn(TRun& run, bool ended);

    const TPassCommands FCommands;
    IProcessLauncher& FLauncher;
    const IClock& FClock;
    TWrite FOutput, FWarn;
    TEnvironmentList FEnvironment;
    std::vector<TRun> FRuns;
};

} // namespace kestrune

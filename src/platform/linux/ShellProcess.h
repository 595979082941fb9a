#pragma once
// Commands run through /bin/sh, each in a process group of its own so that a pipeline can be
// ended as a whole, with standard input from /dev/null and standard output and error read
// through one pipe that never blocks the reader.

#include "core/PassHooks.h"
#include "platform/linux/UniqueFd.h"

#include <sys/types.h>

namespace kestrune {

class TShellProcess final : public IChildProcess {
public:
    // Starts the command; throws std::system_error when it cannot.
    TShellProcess(const std::string& command, const TEnvironmentList& environment);
    // A group that still runs (the command, or what it left in the background) is asked to end,
    // made to after a short grace, and the command is reaped.
    ~TShellProcess() override;
    TShellProcess(const TShellProcess&) = delete;
    TShellProcess& operator=(const TShellProcess&) = delete;

    bool Running() override;
    bool GroupRunning() override;
    std::string Failure() const override { return FFailure; }
    void Stop(bool force) override;
    std::string TakeOutput() override;

    pid_t Pid() const { return FPid; }

private:
    void Reaped(int status);

    pid_t FPid = -1;
    bool FReaped = false;
    // Set once the group is seen to have no process left: its number may be anyone's from then.
    bool FGroupEnded = false;
    std::string FFailure;
    TUniqueFd FOutput;
};

class TShellLauncher final : public IProcessLauncher {
public:
    std::unique_ptr<IChildProcess> Start(const std::string& command,
                                         const TEnvironmentList& environment) override {
        return std::make_unique<TShellProcess>(command, environment);
    }
};

} // namespace kestrune

#pragma once
// Commands run through "cmd.exe /c", each in a job object of its own so that what it starts
// ends with it, with standard input from NUL and standard output and error read through one
// pipe that never blocks the reader.

#include "core/PassHooks.h"

#include <windows.h>

namespace kestrune {

class TShellProcess final : public IChildProcess {
public:
    // Starts the command; throws std::system_error when it cannot.
    TShellProcess(const std::string& command, const TEnvironmentList& environment);
    // A job that still runs (the command, or what it left running) is asked to end, made to
    // after a short grace, and closed.
    ~TShellProcess() override;
    TShellProcess(const TShellProcess&) = delete;
    TShellProcess& operator=(const TShellProcess&) = delete;

    bool Running() override;
    bool GroupRunning() override;
    std::string Failure() const override { return FFailure; }
    // A request is Ctrl-Break to the command's console process group; an order ends every
    // process of the job.
    void Stop(bool force) override;
    std::string TakeOutput() override;

    DWORD ProcessId() const { return FProcessId; }

private:
    HANDLE FJob = nullptr;
    HANDLE FProcess = nullptr;
    HANDLE FOutput = nullptr;
    DWORD FProcessId = 0;
    bool FEnded = false;
    bool FJobEnded = false;
    std::string FFailure;
};

class TShellLauncher final : public IProcessLauncher {
public:
    std::unique_ptr<IChildProcess> Start(const std::string& command,
                                         const TEnvironmentList& environment) override {
        return std::make_unique<TShellProcess>(command, environment);
    }
};

} // namespace kestrune

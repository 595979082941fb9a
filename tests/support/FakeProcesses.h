#pragma once
// A process launcher that starts nothing: it records every command with its environment and
// hands out processes that run until the test ends them.

#include "core/PassHooks.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrune::test {

// What happened to one started command; shared by the launcher and the process object.
struct TFakeRun {
    std::string Command;
    TEnvironmentList Environment;
    bool Running = true;
    // Whether what it started in the background still runs (after it has ended itself).
    bool Lingering = false;
    std::string Failure;
    std::string Output;
    // "TERM" and "KILL", in order.
    std::vector<std::string> Signals;
    // Whether it ends on SIGTERM (a command that ignores it needs SIGKILL).
    bool EndsOnTerm = true;
    bool Destroyed = false;

    std::string Variable(const std::string& name) const {
        for (const auto& [key, value] : Environment)
            if (key == name)
                return value;
        return "<unset>";
    }
};

class TFakeProcess final : public IChildProcess {
public:
    explicit TFakeProcess(std::shared_ptr<TFakeRun> run) : FRun(std::move(run)) {}
    ~TFakeProcess() override { FRun->Destroyed = true; }
    TFakeProcess(const TFakeProcess&) = delete;
    TFakeProcess& operator=(const TFakeProcess&) = delete;
    bool Running() override { return FRun->Running; }
    bool GroupRunning() override { return FRun->Running || FRun->Lingering; }
    std::string Failure() const override { return FRun->Failure; }
    void Stop(bool force) override {
        FRun->Signals.push_back(force ? "KILL" : "TERM");
        if (force || FRun->EndsOnTerm) {
            if (FRun->Running)
                FRun->Failure = force ? "ended by signal 9" : "ended by signal 15";
            FRun->Running = false;
            FRun->Lingering = false;
        }
    }
    std::string TakeOutput() override { return std::exchange(FRun->Output, std::string()); }

private:
    std::shared_ptr<TFakeRun> FRun;
};

class TFakeLauncher final : public IProcessLauncher {
public:
    std::vector<std::shared_ptr<TFakeRun>> Runs;
    // The next start throws this text.
    std::string FailNext;

    std::unique_ptr<IChildProcess> Start(const std::string& command,
                                         const TEnvironmentList& environment) override {
        if (!FailNext.empty())
            throw std::runtime_error(std::exchange(FailNext, std::string()));
        auto run = std::make_shared<TFakeRun>();
        run->Command = command;
        run->Environment = environment;
        Runs.push_back(run);
        return std::make_unique<TFakeProcess>(Runs.back());
    }
};

} // namespace kestrune::test

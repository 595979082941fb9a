#include "platform/linux/ShellProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <system_error>
#include <thread>

extern char** environ;

namespace kestrune {

namespace {

// How long a command still running when its object goes (the program ends) has to end.
constexpr auto DestructionGrace = std::chrono::milliseconds(FinalGraceMs);
constexpr auto ReapPoll = std::chrono::milliseconds(20);
// How much one call takes from the pipe, so that a flood of output cannot hold a tick.
constexpr std::size_t MaxOutputPerCall = 64 * 1024;

void Check(int error, const char* what) {
    if (error != 0)
        throw std::system_error(error, std::generic_category(), what);
}

// A posix_spawn object, destroyed with its owner.
template <typename T, int (*Init)(T*), int (*Destroy)(T*)> class TSpawnObject {
public:
    TSpawnObject() { Check(Init(&FObject), "posix_spawn"); }
    ~TSpawnObject() { Destroy(&FObject); }
    TSpawnObject(const TSpawnObject&) = delete;
    TSpawnObject& operator=(const TSpawnObject&) = delete;
    T* Get() { return &FObject; }

private:
    T FObject;
};

using TSpawnActions = TSpawnObject<posix_spawn_file_actions_t, posix_spawn_file_actions_init,
                                   posix_spawn_file_actions_destroy>;
using TSpawnAttributes =
    TSpawnObject<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

// The program's environment with the given variables put in or replaced.
std::vector<std::string> MergedEnvironment(const TEnvironmentList& variables) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        if (std::none_of(variables.begin(), variables.end(),
                         [&](const auto& variable) { return variable.first == name; }))
            merged.emplace_back(text);
    }
    for (const auto& [name, value] : variables)
        merged.push_back(name + "=" + value);
    return merged;
}

} // namespace

TShellProcess::TShellProcess(const std::string& command, const TEnvironmentList& environment) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe");
    FOutput.Reset(fds[0]);
    const TUniqueFd writeEnd(fds[1]);
    fcntl(FOutput.Get(), F_SETFL, O_NONBLOCK);

    TSpawnActions actions;
    Check(posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0),
          "posix_spawn");
    Check(posix_spawn_file_actions_adddup2(actions.Get(), writeEnd.Get(), STDOUT_FILENO),
          "posix_spawn");
    Check(posix_spawn_file_actions_adddup2(actions.Get(), writeEnd.Get(), STDERR_FILENO),
          "posix_spawn");
    // The program blocks the signals it watches and ignores SIGPIPE; a command starts with
    // neither, in a group of its own.
    TSpawnAttributes attributes;
    sigset_t noSignals, defaultSignals;
    sigemptyset(&noSignals);
    sigemptyset(&defaultSignals);
    for (int signal : {SIGPIPE, SIGHUP, SIGINT, SIGTERM, SIGCHLD})
        sigaddset(&defaultSignals, signal);
    Check(posix_spawnattr_setflags(attributes.Get(), POSIX_SPAWN_SETPGROUP |
                                                         POSIX_SPAWN_SETSIGMASK |
                                                         POSIX_SPAWN_SETSIGDEF),
          "posix_spawn");
    Check(posix_spawnattr_setpgroup(attributes.Get(), 0), "posix_spawn");
    Check(posix_spawnattr_setsigmask(attributes.Get(), &noSignals), "posix_spawn");
    Check(posix_spawnattr_setsigdefault(attributes.Get(), &defaultSignals), "posix_spawn");

    std::vector<std::string> variables = MergedEnvironment(environment);
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string shell = "sh", option = "-c", text = command;
    char* argv[] = {shell.data(), option.data(), text.data(), nullptr};
    Check(posix_spawn(&FPid, "/bin/sh", actions.Get(), attributes.Get(), argv, envp.data()),
          "/bin/sh");
}

TShellProcess::~TShellProcess() {
    if (GroupRunning()) {
        Stop(false);
        const auto deadline = std::chrono::steady_clock::now() + DestructionGrace;
        while (GroupRunning() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(ReapPoll);
        Stop(true);
    }
    if (FReaped)
        return;
    int status = 0;
    while (waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
    }
}

bool TShellProcess::Running() {
    if (FReaped)
        return false;
    int status = 0;
    const pid_t result = waitpid(FPid, &status, WNOHANG);
    if (result == FPid) {
        Reaped(status);
        return false;
    }
    if (result < 0 && errno != EINTR) {
        // Reaped elsewhere (SIGCHLD ignored by someone): its end is all that is known.
        FReaped = true;
        FFailure = std::string("its end was not seen: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool TShellProcess::GroupRunning() {
    if (FGroupEnded)
        return false;
    if (Running())
        return true;
    // With its leader reaped, the group lives on while one of its processes does, and its number
    // is nobody else's until then; it is looked at once a tick, and never signalled again once
    // it is empty.
    if (kill(-FPid, 0) == 0 || errno == EPERM)
        return true;
    FGroupEnded = true;
    return false;
}

void TShellProcess::Reaped(int status) {
    FReaped = true;
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        FFailure = "exit status " + std::to_string(WEXITSTATUS(status));
    else if (WIFSIGNALED(status))
        FFailure = "ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
                   strsignal(WTERMSIG(status)) + ")";
}

void TShellProcess::Stop(bool force) {
    if (GroupRunning())
        kill(-FPid, force ? SIGKILL : SIGTERM);
}

std::string TShellProcess::TakeOutput() {
    std::string output;
    char buffer[4096];
    while (output.size() < MaxOutputPerCall) {
        const ssize_t n = read(FOutput.Get(), buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, static_cast<std::size_t>(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return output;
}

} // namespace kestrune

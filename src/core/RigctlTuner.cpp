#include "core/RigctlTuner.h"

#include <cstdio>

namespace kestrune {

namespace {

// A server's text as a log may show it: control characters, bytes outside ASCII and the
// backslash written as escapes, and no more than RigctlAnswerShownBytes of it.
std::string Shown(const std::string& answer) {
    std::string text;
    for (std::size_t i = 0; i < answer.size() && i < RigctlAnswerShownBytes; ++i) {
        const auto byte = static_cast<unsigned char>(answer[i]);
        if (byte == '\\') {
            text += "\\\\";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            text += escape;
        } else {
            text += static_cast<char>(byte);
        }
    }
    if (answer.size() > RigctlAnswerShownBytes)
        text += "...";
    return text;
}

} // namespace

std::pair<std::string, std::string> SplitRigAddress(const std::string& address) {
    const std::size_t colon = address.rfind(':');
    if (colon == std::string::npos)
        return {address, ""};
    std::string host = address.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return {host, address.substr(colon + 1)};
}

std::vector<std::string> ReadRigAnswers(std::size_t count, const std::string& address,
                                        const std::function<std::string()>& receiveSome) {
    constexpr std::size_t MaxAnswerBytes = 1024;
    std::vector<std::string> answers;
    std::string received;
    while (answers.size() < count) {
        if (const std::size_t end = received.find('\n'); end != std::string::npos) {
            std::string answer = received.substr(0, end);
            if (!answer.empty() && answer.back() == '\r')
                answer.pop_back();
            answers.push_back(answer);
            received.erase(0, end + 1);
            continue;
        }
        if (received.size() > MaxAnswerBytes)
            throw ERigControl("the rig-control server at " + address +
                              " sent an answer longer than " + std::to_string(MaxAnswerBytes) +
                              " bytes");
        received += receiveSome();
    }
    return answers;
}

TRigctlTuner::TRigctlTuner(IRigTransport& transport, const IMonotonicClock& clock, TWrite warn,
                           TWrite notice)
    : FTransport(transport), FClock(clock), FWarn(std::move(warn)), FNotice(std::move(notice)) {}

void TRigctlTuner::Tune(const TTuning& tuning) {
    const long long nowMs = FClock.Milliseconds();
    if (FFailedAtMs && nowMs - *FFailedAtMs < RigctlRetryAfterMs) {
        FPending = tuning;
        throw ERigControl(FFailure);
    }
    Attempt(tuning, nowMs);
}

void TRigctlTuner::LeaveAlone() {
    FPending.reset();
    FWarned.clear();
}

void TRigctlTuner::Service() {
    const long long nowMs = FClock.Milliseconds();
    if (!FPending || (FFailedAtMs && nowMs - *FFailedAtMs < RigctlRetryAfterMs))
        return;
    try {
        Attempt(*FPending, nowMs);
    } catch (const ERigControl&) {
    }
}

void TRigctlTuner::Attempt(const TTuning& tuning, long long nowMs) {
    const std::vector<std::string> commands{"F " + std::to_string(tuning.FrequencyHz),
                                            "M " + tuning.Mode + " " +
                                                std::to_string(tuning.PassbandHz)};
    FPending = tuning;
    try {
        const std::vector<std::string> answers = FTransport.Transact(commands, RigctlTimeoutMs);
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const std::string answer = i < answers.size() ? answers[i] : std::string();
            if (answer != "RPRT 0")
                throw ERigControl("the rig-control server at " + FTransport.Address() +
                                  " answered \"" + Shown(answer) + "\" to \"" + commands[i] + "\"");
        }
    } catch (const ERigControl& error) {
        FFailure = error.what();
        FFailedAtMs = nowMs;
        if (FWarned.insert(FFailure).second)
            FWarn(FFailure);
        throw;
    }
    FPending.reset();
    if (FFailedAtMs.has_value())
        FNotice("the rig-control server at " + FTransport.Address() + " tuned the rig to " +
                std::to_string(tuning.FrequencyHz) + " Hz");
    FFailedAtMs.reset();
}

} // namespace kestrune

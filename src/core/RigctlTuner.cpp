#include "core/RigctlTuner.h"

namespace kestrune {

TRigctlTuner::TRigctlTuner(IRigTransport& transport, const IClock& clock, TWarn warn)
    : FTransport(transport), FClock(clock), FWarn(std::move(warn)) {}

void TRigctlTuner::Tune(long long frequencyHz) {
    const TDateTime now = FClock.UtcNow();
    if (!FFailure.empty() && now >= FFailedAt && now < FFailedAt + RigctlRetryAfterS * OneSecond)
        throw ERigControl(FFailure);
    const std::vector<std::string> commands{"F " + std::to_string(frequencyHz),
                                            std::string("M ") + RigctlMode + " " +
                                                std::to_string(RigctlPassbandHz)};
    try {
        const std::vector<std::string> answers = FTransport.Transact(commands, RigctlTimeoutMs);
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const std::string answer = i < answers.size() ? answers[i] : std::string();
            if (answer != "RPRT 0")
                throw ERigControl("the rig-control server at " + FTransport.Address() +
                                  " answered \"" + answer + "\" to \"" + commands[i] + "\"");
        }
    } catch (const ERigControl& error) {
        Failed(error.what());
        throw;
    }
    FFailure.clear();
}

void TRigctlTuner::Failed(const std::string& reason) {
    if (reason != FFailure)
        FWarn(reason);
    FFailure = reason;
    FFailedAt = FClock.UtcNow();
}

} // namespace kestrune

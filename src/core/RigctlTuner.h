#pragma once
// An SDR program tuned through the rig-control network text protocol that hamlib's rigctld
// serves (and gqrx, SDR++ and others with it): "F <Hz>" and "M <mode> <passband>", each answered
// "RPRT 0" when done.

#include "core/DateTime.h"
#include "core/ReceiverControl.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrune {

class ERigControl : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The connection to the rig-control server.
class IRigTransport {
public:
    virtual ~IRigTransport() = default;
    // Connects when not connected, sends the lines and reads one answer line per line sent, all
    // within `timeoutMs`; throws ERigControl and disconnects on any failure, so that the next
    // call connects afresh.
    virtual std::vector<std::string> Transact(const std::vector<std::string>& lines,
                                              int timeoutMs) = 0;
    // "127.0.0.1:4532", for messages.
    virtual std::string Address() const = 0;
};

// How long one tuning may take, connecting included.
constexpr int RigctlTimeoutMs = 500;
// How long after a failure a new attempt fails at once: the channel handler runs twice for one
// change of channel, and a server that does not answer must not hold a tick twice.
constexpr int RigctlRetryAfterS = 1;
// What the receiver is set to besides the frequency: FM, wide enough for APT.
constexpr const char* RigctlMode = "FM";
constexpr int RigctlPassbandHz = 40000;

class TRigctlTuner final : public IRigControl {
public:
    using TWarn = std::function<void(const std::string& text)>;

    // `warn` is told each failure once, until a tuning succeeds again.
    TRigctlTuner(IRigTransport& transport, const IClock& clock, TWarn warn);

    void Tune(long long frequencyHz) override;

private:
    void Failed(const std::string& reason);

    IRigTransport& FTransport;
    const IClock& FClock;
    TWarn FWarn;
    // The last failure and when it was; empty after a success.
    std::string FFailure;
    TDateTime FFailedAt = 0;
};

} // namespace kestrune

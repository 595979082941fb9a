#pragma once
// An SDR program tuned through the rig-control network text protocol that hamlib's rigctld
// serves (and gqrx, SDR++ and others with it): "F <Hz>" and "M <mode> <passband>" (FM 40000 for a
// channel, the satellite's own mode and passband for its own frequency), each answered "RPRT 0"
// when done.

#include "core/DateTime.h"
#include "core/ReceiverControl.h"

#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
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

// The host and the port of "host:port" or "[host]:port" (the port empty when there is none).
std::pair<std::string, std::string> SplitRigAddress(const std::string& address);

// The answers to `count` request lines, one line each (a CR before the LF dropped), from the
// bytes that `receiveSome` returns as they arrive (it waits, and throws when it cannot); throws
// ERigControl naming the server at `address` when an answer grows past 1024 bytes.
std::vector<std::string> ReadRigAnswers(std::size_t count, const std::string& address,
                                        const std::function<std::string()>& receiveSome);

// How long one tuning may take, connecting included.
constexpr int RigctlTimeoutMs = 500;
// How long after the start of a failed attempt a new one fails at once: the channel handler runs
// twice for one change of channel, and a server that does not answer must not hold a tick twice.
// The next tick, a second later, tries again.
constexpr int RigctlRetryAfterMs = 900;
// How much of a server's unexpected answer a message shows.
constexpr std::size_t RigctlAnswerShownBytes = 80;

class TRigctlTuner final : public IRigControl {
public:
    using TWrite = std::function<void(const std::string& text)>;

    // `warn` is told each distinct failure once between two calls of LeaveAlone (once a pass),
    // `notice` when a tuning succeeds after a failure. Waits are measured on `clock`.
    TRigctlTuner(IRigTransport& transport, const IMonotonicClock& clock, TWrite warn,
                 TWrite notice);

    void Tune(const TTuning& tuning) override;
    void LeaveAlone() override;
    // Once a tick: tries again the tuning that failed, until it succeeds or the rig is left alone.
    void Service();

private:
    void Attempt(const TTuning& tuning, long long nowMs);

    IRigTransport& FTransport;
    const IMonotonicClock& FClock;
    TWrite FWarn, FNotice;
    // What is still to be tuned after a failure, the failure, and when its attempt began.
    std::optional<TTuning> FPending;
    std::string FFailure;
    std::optional<long long> FFailedAtMs;
    // The failures warned since the rig was last left alone.
    std::set<std::string> FWarned;
};

} // namespace kestrune

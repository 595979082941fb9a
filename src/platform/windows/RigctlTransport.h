#pragma once
// A TCP connection to a rig-control server (rigctld or an SDR program serving its protocol)
// through Winsock, made when first needed, never blocking longer than the time each exchange is
// given.

#include "core/RigctlTuner.h"

#include <chrono>
#include <memory>
#include <winsock2.h>

namespace kestrune {

class TRigctlTransport final : public IRigTransport {
public:
    // "host:port" with a numeric host ("127.0.0.1:4532", "[::1]:4532"): a name would need a
    // lookup that no timeout bounds.
    explicit TRigctlTransport(std::string address);
    ~TRigctlTransport() override;
    TRigctlTransport(const TRigctlTransport&) = delete;
    TRigctlTransport& operator=(const TRigctlTransport&) = delete;

    std::vector<std::string> Transact(const std::vector<std::string>& lines,
                                      int timeoutMs) override;
    std::string Address() const override { return FAddress; }

private:
    using TDeadline = std::chrono::steady_clock::time_point;
    void Connect(TDeadline deadline, int timeoutMs);
    // Waits until the socket can be written (or read); throws at the deadline.
    void Wait(bool write, TDeadline deadline, int timeoutMs) const;
    void Disconnect();
    [[noreturn]] void Fail(const std::string& reason) const;

    std::string FAddress;
    bool FStarted = false;
    SOCKET FSocket = INVALID_SOCKET;
};

// The program's rig-control connection to the address.
inline std::unique_ptr<IRigTransport> RigctlTransport(const std::string& address) {
    return std::make_unique<TRigctlTransport>(address);
}

} // namespace kestrune

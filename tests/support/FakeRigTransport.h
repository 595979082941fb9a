#pragma once
// A rig-control connection that records every line sent and answers from a script.

#include "core/RigctlTuner.h"

#include <string>
#include <vector>

namespace kestrune::test {

class TFakeRigTransport final : public IRigTransport {
public:
    std::vector<std::string> Sent;
    // The answer to every line; a failure instead when Failure is not empty.
    std::string Answer = "RPRT 0";
    std::string Failure;
    int Transactions = 0;
    int LastTimeoutMs = 0;

    std::vector<std::string> Transact(const std::vector<std::string>& lines,
                                      int timeoutMs) override {
        ++Transactions;
        LastTimeoutMs = timeoutMs;
        if (!Failure.empty())
            throw ERigControl(Failure);
        Sent.insert(Sent.end(), lines.begin(), lines.end());
        return std::vector<std::string>(lines.size(), Answer);
    }
    std::string Address() const override { return "127.0.0.1:4532"; }
};

} // namespace kestrune::test

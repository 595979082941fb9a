#pragma once
// Debug traces: lines for a developer, not for the user.

#include <string>

namespace kestrune {

class IDebugTrace {
public:
    virtual ~IDebugTrace() = default;
    virtual void Output(const std::string& text) = 0;
};

// Writes each trace as a line to standard error when the environment variable KESTRUNE_DEBUG is
// set, and nothing otherwise.
class TStderrDebugTrace final : public IDebugTrace {
public:
    TStderrDebugTrace();
    void Output(const std::string& text) override;

private:
    bool FEnabled;
};

} // namespace kestrune

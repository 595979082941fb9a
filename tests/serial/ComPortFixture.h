#pragma once
// A port on the fake device, with a hand-driven dispatcher and a recording trace.

#include "serial/ComPort.h"
#include "settings/MemoryRegistry.h"
#include "support/FakeSerialDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kestrune::test {

class TRecordingTrace final : public IDebugTrace {
public:
    void Output(const std::string& text) override { Lines.push_back(text); }
    std::vector<std::string> Lines;
};

// The EComPort that the call throws; a test failure and code 0 when it throws none.
template <typename Call> EComPort CaughtError(Call&& call) {
    try {
        call();
    } catch (const EComPort& e) {
        return e;
    }
    ADD_FAILURE() << "no EComPort thrown";
    return EComPort(0);
}

class ComPortFixture : public ::testing::Test {
protected:
    TFakeSerialHardware Hardware;
    TQueuedGuiDispatcher Dispatcher;
    TRecordingTrace Trace;
    TMemoryRegistry Registry;
    TComPort Port{"ComPortControl", {Hardware, Dispatcher, Trace, Registry}};
};

} // namespace kestrune::test

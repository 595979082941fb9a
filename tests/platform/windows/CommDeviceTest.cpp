// A COM port of the communications API carries bytes both ways: the port named by
// KESTRUNE_TEST_COM_PORT is a pseudo-terminal whose other end echoes what it receives (Wine;
// com_pty.py sets it up and checks what arrived). Pseudo-terminals have no modem lines, so RTS
// and the modem events are tested on the fake device only.

#include "platform/windows/CommDevice.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace kestrune::test {
namespace {

TEST(CommDevice, WritesF0ThroughTheComPortAndReadsTheEcho) {
    const char* port = std::getenv("KESTRUNE_TEST_COM_PORT");
    ASSERT_NE(port, nullptr) << "run through com_pty.py";
    std::unique_ptr<ISerialDevice> device;
    ASSERT_EQ(TCommDevice::Open(port, device), 0);
    std::unique_ptr<ISerialDevice> second;
    EXPECT_EQ(TCommDevice::Open(port, second), ERROR_ACCESS_DENIED); // exclusive use

    TDeviceControlBlock dcb;
    dcb.DCBlength = comm::DcbSize;
    dcb.BaudRate = 9600;
    dcb.fBinary = true;
    dcb.ByteSize = 8;
    dcb.Parity = comm::NoParity;
    dcb.StopBits = comm::OneStopBit;
    ASSERT_EQ(device->SetCommState(dcb), 0);
    ASSERT_EQ(device->SetCommTimeouts({MAXDWORD, 0, 0, 0, 1000}), 0);
    ASSERT_EQ(device->PurgeComm(comm::PurgeRxClear | comm::PurgeTxClear), 0);

    std::size_t written = 0;
    ASSERT_EQ(device->WriteFile("F0", 2, written), 0);
    EXPECT_EQ(written, 2u);

    std::string echoed;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (echoed.size() < 2 && std::chrono::steady_clock::now() < deadline) {
        char buffer[16];
        std::size_t read = 0;
        ASSERT_EQ(device->ReadFile(buffer, sizeof buffer, read), 0);
        echoed.append(buffer, read);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(echoed, "F0");
    std::uint32_t errors = 0;
    TComStat stat;
    EXPECT_EQ(device->ClearCommError(errors, stat), 0);
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(stat.InQue, 0u);
}

} // namespace
} // namespace kestrune::test

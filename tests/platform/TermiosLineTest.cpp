// The kernel's terminal constants, without the C library's <termios.h>.
#include "platform/linux/TermiosDevice.h"

#include <asm/termbits.h>
#include <cerrno>
#include <gtest/gtest.h>

namespace kestrune {
namespace {

std::uint32_t Flags(std::uint8_t byteSize, std::uint8_t parity, std::uint8_t stopBits) {
    TDeviceControlBlock dcb;
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    std::uint32_t flags = 0;
    EXPECT_EQ(TermiosLineControl(dcb, flags), 0);
    return flags;
}

int Refusal(std::uint8_t byteSize, std::uint8_t parity, std::uint8_t stopBits) {
    TDeviceControlBlock dcb;
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    std::uint32_t flags = 0;
    return TermiosLineControl(dcb, flags);
}

TEST(TermiosLineTest, DataBitsParityAndStopBits) {
    EXPECT_EQ(Flags(5, comm::NoParity, comm::OneStopBit), CS5);
    EXPECT_EQ(Flags(6, comm::NoParity, comm::OneStopBit), CS6);
    EXPECT_EQ(Flags(7, comm::EvenParity, comm::OneStopBit), CS7 | PARENB);
    EXPECT_EQ(Flags(8, comm::OddParity, comm::TwoStopBits), CS8 | PARENB | PARODD | CSTOPB);
    EXPECT_EQ(Flags(8, comm::MarkParity, comm::OneStopBit), CS8 | PARENB | CMSPAR | PARODD);
    EXPECT_EQ(Flags(8, comm::SpaceParity, comm::OneStopBit), CS8 | PARENB | CMSPAR);
    EXPECT_EQ(Flags(5, comm::NoParity, comm::One5StopBits), CS5 | CSTOPB);
}

TEST(TermiosLineTest, WhatAUartCannotDoIsRefused) {
    EXPECT_EQ(Refusal(8, comm::NoParity, comm::One5StopBits), EINVAL);
    EXPECT_EQ(Refusal(6, comm::NoParity, comm::One5StopBits), EINVAL);
    EXPECT_EQ(Refusal(5, comm::NoParity, comm::TwoStopBits), EINVAL);
    EXPECT_EQ(Refusal(4, comm::NoParity, comm::OneStopBit), EINVAL);
    EXPECT_EQ(Refusal(9, comm::NoParity, comm::OneStopBit), EINVAL);
    EXPECT_EQ(Refusal(8, 5, comm::OneStopBit), EINVAL);
    EXPECT_EQ(Refusal(8, comm::NoParity, 3), EINVAL);
}

} // namespace
} // namespace kestrune

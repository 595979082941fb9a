#include "serial/ComTypes.h"

#include "core/Text.h"
#include "serial/SerialDevice.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(ComTypesTest, EveryTextReadsBackAsItsValue) {
    for (int i = 0; i <= static_cast<int>(TBaudRate::br256000); ++i) {
        const auto value = static_cast<TBaudRate>(i);
        EXPECT_EQ(BaudRateFromText(BaudRateText(value)), value) << i;
    }
    for (int i = 0; i <= static_cast<int>(TStopBits::sbTwoStopBits); ++i) {
        EXPECT_EQ(StopBitsFromText(StopBitsText(static_cast<TStopBits>(i))),
                  static_cast<TStopBits>(i));
    }
    for (int i = 0; i <= static_cast<int>(TRTSFlowControl::rtsToggle); ++i) {
        EXPECT_EQ(RTSControlFromText(RTSControlText(static_cast<TRTSFlowControl>(i))),
                  static_cast<TRTSFlowControl>(i));
    }
    EXPECT_EQ(BaudRateText(TBaudRate::brCustom), "Custom");
    EXPECT_EQ(BaudRateValue(TBaudRate::br256000), 256000u);
    EXPECT_EQ(StopBitsText(TStopBits::sbOne5StopBits), "1.5");
    EXPECT_EQ(DataBitsText(TDataBits::dbFive), "5");
    EXPECT_EQ(DataBitsValue(TDataBits::dbSeven), 7);
    EXPECT_EQ(ParityText(TParityBits::prSpace), "Space");
    EXPECT_EQ(FlowControlText(TFlowControl::fcSoftware), "Software");
    EXPECT_EQ(DTRControlText(TDTRFlowControl::dtrHandshake), "Handshake");
}

TEST(ComTypesTest, TextsMatchWithoutLetterCaseAndFallBackWhenUnknown) {
    EXPECT_EQ(BaudRateFromText("custom"), TBaudRate::brCustom);
    EXPECT_EQ(BaudRateFromText("12345"), TBaudRate::br9600);
    EXPECT_EQ(BaudRateFromText(""), TBaudRate::br9600);
    EXPECT_EQ(ParityFromText("mArK"), TParityBits::prMark);
    EXPECT_EQ(ParityFromText("Marks"), TParityBits::prNone);
    EXPECT_EQ(StopBitsFromText("1,5"), TStopBits::sbOneStopBit);
    EXPECT_EQ(DataBitsFromText("9"), TDataBits::dbEight);
    EXPECT_EQ(FlowControlFromText("none"), TFlowControl::fcNone);
    EXPECT_EQ(FlowControlFromText("xon"), TFlowControl::fcCustom);
    EXPECT_EQ(RTSControlFromText("HANDSHAKE"), TRTSFlowControl::rtsHandshake);
    EXPECT_EQ(DTRControlFromText("toggle"), TDTRFlowControl::dtrDisable);
    // Only a to z are upper-cased.
    EXPECT_EQ(UpperCaseAscii("stra\xC3\x9F"
                             "e"),
              "STRA\xC3\x9F"
              "E");
}

TEST(ComTypesTest, EventsAndErrorsMapToTheDeviceBits) {
    EXPECT_EQ(ComEventsMask(AllComEvents), 0x5FFu);
    EXPECT_EQ(ComEventsMask(TComEvents{TComEvent::evRxChar, TComEvent::evRx80Full}), 0x401u);
    EXPECT_EQ(ComEventsFromMask(0x5FF), AllComEvents);
    EXPECT_EQ(ComEventsFromMask(comm::EvCts | 0x200), TComEvents{TComEvent::evCTS});
    EXPECT_EQ(ComErrorsFromMask(comm::CeFrame | comm::CeMode),
              (TComErrors{TComError::ceFrame, TComError::ceMode}));
}

TEST(ComTypesTest, BooleansAndCharactersAsText) {
    EXPECT_EQ(BoolText(true), "Yes");
    EXPECT_EQ(BoolText(false), "No");
    EXPECT_TRUE(BoolFromText("yEs"));
    EXPECT_FALSE(BoolFromText("Y"));
    EXPECT_FALSE(BoolFromText(""));
    EXPECT_FALSE(BoolFromText("True"));

    EXPECT_EQ(CharText(0), "#0");
    EXPECT_EQ(CharText(17), "#17");
    EXPECT_EQ(CharText(32), "#32");
    EXPECT_EQ(CharText(33), "!");
    EXPECT_EQ(CharText(127), "\x7F");
    EXPECT_EQ(CharText(128), "#128");
    EXPECT_EQ(CharText(255), "#255");
    for (int code = 0; code < 256; ++code) {
        EXPECT_EQ(CharFromText(CharText(static_cast<std::uint8_t>(code))), code);
    }
}

TEST(ComTypesTest, CharFromTextOddities) {
    EXPECT_EQ(CharFromText(""), 0);
    EXPECT_EQ(CharFromText("#300"), 44);
    EXPECT_EQ(CharFromText("#"), '#');
    EXPECT_EQ(CharFromText("#x"), 0);
    EXPECT_EQ(CharFromText("#12x"), 0);
    EXPECT_EQ(CharFromText("#99999999999"), 0);
    EXPECT_EQ(CharFromText("#-1"), 0);
    EXPECT_EQ(CharFromText("AB"), 'A');
    // The first character, not its first byte: U+0141 has the low byte 0x41.
    EXPECT_EQ(CharFromText("\xC5\x81x"), 0x41);
    // A stray byte that starts no character stands for itself.
    EXPECT_EQ(CharFromText("\xE9"), 0xE9);
}

TEST(ComTypesTest, ErrorMessagesWithAndWithoutPlace) {
    const EComPort withPlace(comerr::OpenFailed, "COM7", 2);
    EXPECT_STREQ(withPlace.what(), "COM Port Error: Unable to open com port on COM7");
    EXPECT_EQ(withPlace.ErrorCode(), 1);
    EXPECT_EQ(withPlace.SystemError(), 2);

    const EComPort withoutPlace(comerr::ConnChangeProp);
    EXPECT_STREQ(withoutPlace.what(), "COM Port Error: Cannot set property while connected");
    EXPECT_EQ(withoutPlace.SystemError(), -1);

    EXPECT_EQ(ComErrorText(23), "Registry error");
    EXPECT_EQ(ComErrorText(22), "A component is linked to OnRxBuf event");
    EXPECT_EQ(ComErrorText(0), "Unknown Error #0");
    EXPECT_EQ(ComErrorText(24), "Unknown Error #24");
    EXPECT_EQ(ComErrorText(-3), "Unknown Error #-3");
}

} // namespace
} // namespace kestrune

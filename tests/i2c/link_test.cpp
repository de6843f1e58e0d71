// The link's bus primitives against the simulated adapter: the pin states of
// every waveform, the adapter calls each costs, and the line state each leaves.
#include <gtest/gtest.h>

#include <string>

#include "i2c/link.h"
#include "sim/ftsim.h"
#include "sim_bus.h"
#include "trace.h"

namespace {

using trace::Lines;

// FTSIM_GetLines: bit 0 SCL, bit 1 SDA as driven, bit 2 SDA on the bus.
constexpr int kSclLowSdaLow = 0x00;
constexpr int kSclLowSdaHigh = 0x06;
constexpr int kSclHighSdaHigh = 0x07;
constexpr int kSclHighSdaLow = 0x01;

// The three-state groups of one data bit.
const std::string kOne = "02 03 02";   // data 1 / not-acknowledge
const std::string kZero = "00 01 00";  // data 0 / acknowledge

std::string Groups(const std::string &bits) {
    std::string text;
    for (const char bit : bits) {
        text += (text.empty() ? "" : " ") + (bit == '1' ? kOne : kZero);
    }
    return text;
}

class LinkTest : public SimBusTest {
protected:
    void SetUp() override {
        SimBusTest::SetUp();
        if (HasFatalFailure()) return;
        RestTheBus();
    }
    // The bus at rest between transactions, observations cleared.
    static void RestTheBus() {
        I2C_Stop();
        trace::Clear();
    }
};

struct WaveformCase {
    const char *primitive;
    void (*drive)();
    std::string write;  // the one FT_Write, "W" and its pin states
    int lines_after;
};

const WaveformCase kWaveforms[] = {
    {"I2C_Start", [] { I2C_Start(); }, "W 02 03 01 00", kSclLowSdaLow},
    {"I2C_Stop", [] { I2C_Stop(); }, "W 00 01 03 02", kSclLowSdaHigh},
    {"I2C_SendAck(0)", [] { I2C_SendAck(0); }, "W " + kZero, kSclLowSdaLow},
    {"I2C_SendAck(1)", [] { I2C_SendAck(1); }, "W " + kOne, kSclLowSdaHigh},
    {"I2C_SendAck(2): only bit 0 counts", [] { I2C_SendAck(2); }, "W " + kZero, kSclLowSdaLow},
    {"I2C_SendAck(-1)", [] { I2C_SendAck(-1); }, "W " + kOne, kSclLowSdaHigh},
    {"I2C_WriteByte(0x1A5): 0xA5 on the bus", [] { I2C_WriteByte(0x1A5); }, "W " + Groups("10100101"),
     kSclLowSdaHigh},
    {"I2C_WriteByte(-1): 0xFF on the bus", [] { I2C_WriteByte(-1); }, "W " + Groups("11111111"),
     kSclLowSdaHigh},
    {"I2C_WriteByte(0x100): 0x00 on the bus", [] { I2C_WriteByte(0x100); }, "W " + Groups("00000000"),
     kSclLowSdaLow},
    {"I2C_WriteByte(0x90)", [] { I2C_WriteByte(0x90); }, "W " + Groups("10010000"), kSclLowSdaLow},
    {"I2C_WritePins(0x103): low 8 bits as they are", [] { I2C_WritePins(0x103); }, "W 03", kSclHighSdaHigh},
    {"I2C_WritePins(0xF9): unused pins too", [] { I2C_WritePins(0xF9); }, "W F9", kSclHighSdaLow},
};

TEST_F(LinkTest, EachConditionIsOneWriteOfItsWaveform) {
    for (const WaveformCase &c : kWaveforms) {
        SCOPED_TRACE(c.primitive);
        RestTheBus();
        c.drive();
        EXPECT_EQ(trace::Calls(), Lines{c.write});
        EXPECT_EQ(trace::Writes(), 1u);
        EXPECT_EQ(trace::PinReads(), 0u);
        EXPECT_EQ(FTSIM_GetLines(), c.lines_after);
    }
}

TEST_F(LinkTest, StartAndStopAreFourPinStatesAndAByteIsTwentyFour) {
    I2C_Start();
    EXPECT_EQ(trace::PinStates(), 4u);
    I2C_WriteByte(0x5A);
    EXPECT_EQ(trace::PinStates(), 4u + 24u);
    I2C_Stop();
    EXPECT_EQ(trace::PinStates(), 4u + 24u + 4u);
    EXPECT_EQ(trace::Writes(), 3u);
}

// Writes of the two primitives that sample: the clock raised with SDA
// released, then the clock lowered.
const std::string kSampleRise = "W 02 03";
const std::string kSampleFall = "W 02";

TEST_F(LinkTest, ReadBitIsTwoWritesAroundOneSampleTakenWithSclHigh) {
    EXPECT_EQ(I2C_ReadBit(), 1) << "nothing on the bus: SDA pulled up";
    const Lines calls = trace::Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], kSampleRise);
    EXPECT_EQ(calls[1].substr(0, 2), "G ");
    EXPECT_EQ(calls[2], kSampleFall);
    EXPECT_EQ(FTSIM_GetLines(), kSclLowSdaHigh);

    FTSIM_SetFault(FTSIM_FAULT_SDA_HELD_LOW, 0);
    EXPECT_EQ(I2C_ReadBit(), 0) << "a device holding SDA low";
}

TEST_F(LinkTest, ReadBitWhoseSampleFailsReadsAsReleasedAndStillLowersTheClock) {
    FTSIM_SetFault(FTSIM_FAULT_SDA_HELD_LOW, 0);  // a low line must not show through
    FTSIM_SetFault(FTSIM_FAULT_GETBITMODE_FROM, 1);
    EXPECT_EQ(I2C_ReadBit(), 1);
    EXPECT_EQ(trace::Calls(), (Lines{kSampleRise, "G !", kSampleFall}));
}

TEST_F(LinkTest, ReadByteIsEightSamplesMostSignificantFirst) {
    EXPECT_EQ(I2C_ReadByte(), 255) << "SDA high throughout";
    EXPECT_EQ(trace::Writes(), 16u);
    EXPECT_EQ(trace::PinReads(), 8u);
    EXPECT_EQ(trace::PinStates(), 24u);

    FTSIM_SetFault(FTSIM_FAULT_SDA_HELD_LOW, 0);
    EXPECT_EQ(I2C_ReadByte(), 0);

    // Failed samples from the fifth on: 0000 then 1111.
    trace::Clear();
    FTSIM_SetFault(FTSIM_FAULT_GETBITMODE_FROM, 5);
    EXPECT_EQ(I2C_ReadByte(), 0x0F);
}

TEST_F(LinkTest, ReadDataPinSamplesWithoutMovingEitherLine) {
    EXPECT_EQ(I2C_ReadDataPin(), 1);
    EXPECT_EQ(trace::Writes(), 0u);
    EXPECT_EQ(trace::PinReads(), 1u);
    EXPECT_EQ(FTSIM_GetLines(), kSclLowSdaHigh);

    FTSIM_SetFault(FTSIM_FAULT_SDA_HELD_LOW, 0);
    EXPECT_EQ(I2C_ReadDataPin(), 0);

    // A failed read here keeps its old meaning: a low line.
    FTSIM_ClearFaults();
    FTSIM_SetFault(FTSIM_FAULT_GETBITMODE_FROM, 1);
    EXPECT_EQ(I2C_ReadDataPin(), 0);
    EXPECT_EQ(trace::Writes(), 0u);
}

TEST_F(LinkTest, PrimitivesMakeTransactionsTheDevicesUnderstand) {
    // A thermometer's temperature read, composed by hand.
    const int chip = FTSIM_AddThermometer(0);
    ASSERT_GE(chip, 0);
    FTSIM_ThermSetRaw(chip, 0x19, 0x80, 0, 0);
    FTSIM_ThermSetConversion(chip, FTSIM_CONV_MILLIS, 0);  // done at once
    I2C_Start();
    I2C_WriteByte(0x90);
    ASSERT_EQ(I2C_ReadBit(), 0);
    I2C_WriteByte(0xEE);
    ASSERT_EQ(I2C_ReadBit(), 0);
    I2C_Stop();
    trace::Clear();

    I2C_Start();
    I2C_WriteByte(0x90);
    EXPECT_EQ(I2C_ReadBit(), 0);
    I2C_WriteByte(0xAA);
    EXPECT_EQ(I2C_ReadBit(), 0);
    I2C_Start();
    I2C_WriteByte(0x91);
    EXPECT_EQ(I2C_ReadBit(), 0);
    EXPECT_EQ(I2C_ReadByte(), 0x19);
    I2C_SendAck(0);
    EXPECT_EQ(I2C_ReadByte(), 0x80);
    I2C_SendAck(1);
    I2C_Stop();
    EXPECT_EQ(trace::Log(), Lines{"S 90+ AA+ Sr 91+ 19+ 80- P"});
    EXPECT_EQ(FTSIM_GetLines(), kSclLowSdaHigh);
}

}  // namespace

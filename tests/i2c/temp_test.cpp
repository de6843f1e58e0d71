// Thermometer driver against the simulated DS1621-style chip: the bus
// sequence of every operation, the adapter calls it costs, its arithmetic,
// and what a byte not acknowledged at any position does.
#include <gtest/gtest.h>

#include <string>

#include "i2c/link.h"
#include "i2c/temp.h"
#include "sim/ftsim.h"
#include "sim_bus.h"
#include "trace.h"

namespace {

using trace::Lines;

constexpr int kUntouched = 0x5EED;  // an out-parameter's value before the call

class ThermometerTest : public SimBusTest {
protected:
    void SetUp() override {
        SimBusTest::SetUp();
        if (HasFatalFailure()) return;
        chip_ = FTSIM_AddThermometer(0);
        ASSERT_GE(chip_, 0);
        FTSIM_ThermSetConversion(chip_, FTSIM_CONV_READS, 1);
        FTSIM_ThermSetConfig(chip_, 0x01);
    }

    // A finished conversion that latched these register bytes.
    void Convert(int msb, int lsb, int counter, int slope) {
        FTSIM_ThermSetRaw(chip_, msb, lsb, counter, slope);
        ASSERT_EQ(TEMP_StartConversion(0), I2C_OK);
        int done = 0;
        for (int poll = 0; poll < 10 && done == 0; ++poll) {
            ASSERT_EQ(TEMP_IsDone(0, &done), I2C_OK);
        }
        ASSERT_EQ(done, 1);
        trace::Clear();
    }

    int chip_ = -1;
};

// ---- Bus sequences and their cost -------------------------------------------

struct SequenceCase {
    const char *operation;
    int (*run)(int *out);
    int out;  // expected out-parameter (kUntouched: none)
    Lines log;
    unsigned long writes;     // FT_Write calls
    unsigned long pin_reads;  // FT_GetBitMode calls
};

// Register bytes latched for every case: 25.5 degC, counter 40, slope 100.
const SequenceCase kSequences[] = {
    {"TEMP_StartConversion", [](int *) { return TEMP_StartConversion(0); }, kUntouched, {"S 90+ EE+ P"}, 8, 2},
    {"TEMP_ReadConfig", [](int *out) { return TEMP_ReadConfig(0, out); }, 0x81, {"S 90+ AC+ Sr 91+ 81- P"}, 30,
     12},
    {"TEMP_WriteConfig: low 8 bits", [](int *) { return TEMP_WriteConfig(0, 0x1A5); }, kUntouched,
     {"S 90+ AC+ A5+ P"}, 11, 3},
    {"TEMP_IsDone", [](int *out) { return TEMP_IsDone(0, out); }, 1, {"S 90+ AC+ Sr 91+ 81- P"}, 30, 12},
    {"TEMP_Read", [](int *out) { return TEMP_Read(0, out); }, 6528, {"S 90+ AA+ Sr 91+ 19+ 80- P"}, 46, 19},
    {"TEMP_ReadPrecise: one transaction of three exchanges",
     [](int *out) { return TEMP_ReadPrecise(0, out); },
     6489,
     {"S 90+ AA+ Sr 91+ 19- Sr 90+ A9+ Sr 91+ 64- Sr 90+ A8+ Sr 91+ 28- P"},
     85,
     33},
    {"TEMP_Init, already one-shot: nothing written", [](int *) { return TEMP_Init(0); }, kUntouched,
     {"S 90+ AC+ Sr 91+ 81- P"}, 30, 12},
};

TEST_F(ThermometerTest, EachOperationIsItsBusSequence) {
    for (const SequenceCase &c : kSequences) {
        SCOPED_TRACE(c.operation);
        Convert(0x19, 0x80, 40, 100);
        int out = kUntouched;
        EXPECT_EQ(c.run(&out), I2C_OK);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(trace::Log(), c.log);
        EXPECT_EQ(trace::Writes(), c.writes);
        EXPECT_EQ(trace::PinReads(), c.pin_reads);
        EXPECT_EQ(FTSIM_GetLines(), simbus::kLinesAtRest) << "bus left at rest";
    }
}

TEST_F(ThermometerTest, InitPutsTheChipInOneShotModeOnlyWhenItIsNot) {
    struct Case {
        int config;
        Lines log;
    };
    const Case cases[] = {
        {0x8D, {"S 90+ AC+ Sr 91+ 8D- P"}},
        {0x01, {"S 90+ AC+ Sr 91+ 01- P"}},
        {0x03, {"S 90+ AC+ Sr 91+ 03- P", "S 90+ AC+ 01+ P"}},
        {0x00, {"S 90+ AC+ Sr 91+ 00- P", "S 90+ AC+ 01+ P"}},
        {0x02, {"S 90+ AC+ Sr 91+ 02- P", "S 90+ AC+ 01+ P"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.config);
        FTSIM_ThermSetConfig(chip_, c.config);
        trace::Clear();
        EXPECT_EQ(TEMP_Init(0), I2C_OK);
        EXPECT_EQ(trace::Log(), c.log);
    }
}

TEST_F(ThermometerTest, DoneFlagIsConfigurationBitSeven) {
    FTSIM_ThermSetConversion(chip_, FTSIM_CONV_READS, 3);
    ASSERT_EQ(TEMP_StartConversion(0), I2C_OK);
    int done = kUntouched;
    for (int poll = 1; poll < 3; ++poll) {
        ASSERT_EQ(TEMP_IsDone(0, &done), I2C_OK);
        EXPECT_EQ(done, 0) << "poll " << poll;
    }
    ASSERT_EQ(TEMP_IsDone(0, &done), I2C_OK);
    EXPECT_EQ(done, 1);
}

TEST_F(ThermometerTest, DeviceIndexKeepsOnlyItsLowThreeBits) {
    const int second = FTSIM_AddThermometer(1);
    ASSERT_GE(second, 0);
    FTSIM_ThermSetConfig(second, 0x01);
    trace::Clear();
    EXPECT_EQ(TEMP_StartConversion(9), I2C_OK);
    EXPECT_EQ(TEMP_StartConversion(7), I2C_NOACK);
    EXPECT_EQ(trace::Log(), (Lines{"S 92+ EE+ P", "S 9E- P"}));
    EXPECT_EQ(FTSIM_ThermConversions(second), 1);
    EXPECT_EQ(FTSIM_ThermConversions(chip_), 0);
}

// ---- Readings ---------------------------------------------------------------

TEST_F(ThermometerTest, TwoByteReadingTakesBothBytesUnsigned) {
    struct Case {
        int msb, lsb, value;
    };
    for (const Case c : {Case{0x19, 0x80, 6528}, Case{0xFF, 0x80, 65408}, Case{0x00, 0x00, 0},
                         Case{0xFF, 0xFF, 65535}, Case{0x80, 0x00, 32768}}) {
        SCOPED_TRACE(c.value);
        Convert(c.msb, c.lsb, 0, 0);
        int value = kUntouched;
        EXPECT_EQ(TEMP_Read(0, &value), I2C_OK);
        EXPECT_EQ(value, c.value);
    }
}

TEST_F(ThermometerTest, HighResolutionReadingFromCounterAndSlope) {
    struct Case {
        int t, slope, count, value;
        const char *why;
    };
    const Case cases[] = {
        {25, 100, 40, 6489, "6400 - 64 + 153.6 truncated"},
        {25, 100, 150, 6208, "count above slope: 6400 - 64 - 128"},
        {25, 100, 141, 6232, "-104.96 truncated toward zero to -104"},
        {25, 100, 0, 6592, "6400 - 64 + 256"},
        {25, 0, 0, 6336, "slope 0: no fraction"},
        {25, 0, 77, 6336, "slope 0 whatever the count"},
        {0, 50, 50, -64, "slope = count: -0.25 degC"},
        {0, 1, 255, -65088, "the lowest value"},
        {255, 16, 0, 65472, "the highest value"},
        {0x80, 3, 1, 32768 - 64 + 170, "170.67 truncated; msb 0x80 is unsigned"},
        {10, 7, 9, 2560 - 64 - 73, "-73.14 truncated toward zero"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        Convert(c.t, 0x80, c.count, c.slope);
        int value = kUntouched;
        EXPECT_EQ(TEMP_ReadPrecise(0, &value), I2C_OK);
        EXPECT_EQ(value, c.value);
    }
}

// ---- A byte not acknowledged ----------------------------------------------

struct NackCase {
    const char *operation;
    int (*run)(int *out);
    int byte;         // the Nth byte the master writes in a transaction
    int out_after;    // out-parameter after the failure
    Lines log;        // ends with the stop the failure sends
};

const auto kReadConfig = [](int *out) { return TEMP_ReadConfig(0, out); };
const auto kWriteConfig = [](int *) { return TEMP_WriteConfig(0, 0x01); };
const auto kInit = [](int *) { return TEMP_Init(0); };
const auto kStart = [](int *) { return TEMP_StartConversion(0); };
const auto kIsDone = [](int *out) { return TEMP_IsDone(0, out); };
const auto kRead = [](int *out) { return TEMP_Read(0, out); };
const auto kPrecise = [](int *out) { return TEMP_ReadPrecise(0, out); };

const NackCase kNacks[] = {
    {"TEMP_ReadConfig", kReadConfig, 1, 0, {"S 90- P"}},
    {"TEMP_ReadConfig", kReadConfig, 2, 0, {"S 90+ AC- P"}},
    {"TEMP_ReadConfig", kReadConfig, 3, 0, {"S 90+ AC+ Sr 91- P"}},
    {"TEMP_WriteConfig", kWriteConfig, 1, kUntouched, {"S 90- P"}},
    {"TEMP_WriteConfig", kWriteConfig, 2, kUntouched, {"S 90+ AC- P"}},
    {"TEMP_WriteConfig", kWriteConfig, 3, kUntouched, {"S 90+ AC+ 01- P"}},
    {"TEMP_Init", kInit, 1, kUntouched, {"S 90- P"}},
    {"TEMP_Init", kInit, 2, kUntouched, {"S 90+ AC- P"}},
    {"TEMP_Init", kInit, 3, kUntouched, {"S 90+ AC+ Sr 91- P"}},
    {"TEMP_StartConversion", kStart, 1, kUntouched, {"S 90- P"}},
    {"TEMP_StartConversion", kStart, 2, kUntouched, {"S 90+ EE- P"}},
    {"TEMP_IsDone", kIsDone, 1, 1, {"S 90- P"}},
    {"TEMP_IsDone", kIsDone, 2, 1, {"S 90+ AC- P"}},
    {"TEMP_IsDone", kIsDone, 3, 1, {"S 90+ AC+ Sr 91- P"}},
    {"TEMP_Read", kRead, 1, kUntouched, {"S 90- P"}},
    {"TEMP_Read", kRead, 2, kUntouched, {"S 90+ AA- P"}},
    {"TEMP_Read", kRead, 3, kUntouched, {"S 90+ AA+ Sr 91- P"}},
    {"TEMP_ReadPrecise", kPrecise, 1, kUntouched, {"S 90- P"}},
    {"TEMP_ReadPrecise", kPrecise, 2, kUntouched, {"S 90+ AA- P"}},
    {"TEMP_ReadPrecise", kPrecise, 3, kUntouched, {"S 90+ AA+ Sr 91- P"}},
    {"TEMP_ReadPrecise", kPrecise, 4, kUntouched, {"S 90+ AA+ Sr 91+ 19- Sr 90- P"}},
    {"TEMP_ReadPrecise", kPrecise, 5, kUntouched, {"S 90+ AA+ Sr 91+ 19- Sr 90+ A9- P"}},
    {"TEMP_ReadPrecise", kPrecise, 6, kUntouched, {"S 90+ AA+ Sr 91+ 19- Sr 90+ A9+ Sr 91- P"}},
    {"TEMP_ReadPrecise", kPrecise, 7, kUntouched, {"S 90+ AA+ Sr 91+ 19- Sr 90+ A9+ Sr 91+ 64- Sr 90- P"}},
    {"TEMP_ReadPrecise", kPrecise, 8, kUntouched,
     {"S 90+ AA+ Sr 91+ 19- Sr 90+ A9+ Sr 91+ 64- Sr 90+ A8- P"}},
    {"TEMP_ReadPrecise", kPrecise, 9, kUntouched,
     {"S 90+ AA+ Sr 91+ 19- Sr 90+ A9+ Sr 91+ 64- Sr 90+ A8+ Sr 91- P"}},
};

TEST_F(ThermometerTest, ByteNotAcknowledgedAnywhereEndsTheTransactionWithAStop) {
    for (const NackCase &c : kNacks) {
        SCOPED_TRACE(std::string(c.operation) + ", byte " + std::to_string(c.byte));
        Convert(0x19, 0x80, 40, 100);
        FTSIM_SetFault(FTSIM_FAULT_NACK_BYTE, c.byte);
        int out = kUntouched;
        EXPECT_EQ(c.run(&out), I2C_NOACK);
        EXPECT_EQ(out, c.out_after);
        EXPECT_EQ(trace::Log(), c.log);
        EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 1u);
        EXPECT_EQ(FTSIM_GetLines(), simbus::kLinesAtRest) << "bus left at rest";
        FTSIM_ClearFaults();
    }
}

TEST_F(ThermometerTest, NoChipOnTheBus) {
    FTSIM_Reset();  // the bus without any device
    int value = kUntouched;
    EXPECT_EQ(TEMP_Init(0), I2C_NOACK);
    EXPECT_EQ(TEMP_StartConversion(0), I2C_NOACK);
    EXPECT_EQ(TEMP_Read(0, &value), I2C_NOACK);
    EXPECT_EQ(value, kUntouched);
    EXPECT_EQ(trace::Log(), (Lines{"S 90- P", "S 90- P", "S 90- P"}));
}

// A link that dies after start-up: every sample fails and reads as a released
// line, so the first acknowledge check fails instead of the chip seeming to
// answer with zeros.
TEST_F(ThermometerTest, DeadLinkShowsAsByteNotAcknowledged) {
    FTSIM_SetFault(FTSIM_FAULT_GETBITMODE_FROM, 1);
    int done = 0;
    EXPECT_EQ(TEMP_IsDone(0, &done), I2C_NOACK);
    EXPECT_EQ(done, 1);
    int value = kUntouched;
    EXPECT_EQ(TEMP_Read(0, &value), I2C_NOACK);
    EXPECT_EQ(value, kUntouched);
}

}  // namespace

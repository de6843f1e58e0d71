// Serial EEPROM driver against the simulated 24C16-style chip.
//
// The kind-set flag is global to the process: every test sets the kind it needs.

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "i2c/eeprom.h"
#include "i2c/link.h"
#include "sim/ftsim.h"
#include "sim_bus.h"

namespace {

using simbus::ClearObservations;
using simbus::kLinesAtRest;
using simbus::Lines;
using simbus::LogLines;

constexpr int kSize = 2048;
constexpr int kErased = 0xFF;

class EepromTest : public SimBusTest {
protected:
    void SetUp() override {
        SimBusTest::SetUp();
        if (HasFatalFailure()) return;
        EEP_SetKind(1);
        chip_ = FTSIM_AddEeprom();
        ASSERT_GE(chip_, 0);
        // Ready at the first poll unless a test says otherwise: logs stay short.
        FTSIM_EepromSetWriteCycle(chip_, FTSIM_WC_POLLS, 1);
    }

    int chip_ = -1;
};

// ---- Round trips through the chip model --------------------------------

TEST_F(EepromTest, BytesWrittenReadBackInEveryBlockAndLandWhereAddressed) {
    // The chip's own write-cycle timing, polled for real.
    FTSIM_EepromSetWriteCycle(chip_, FTSIM_WC_MICROS, 5000);

    std::vector<int> addresses;
    for (int block = 0; block < 8; ++block) {
        for (const int offset : {0x00, 0x5A, 0xFF}) addresses.push_back(block * 0x100 + offset);
    }
    const auto value_for = [](size_t i) { return static_cast<int>(0x10 + 7 * i) & 0xFF; };

    for (size_t i = 0; i < addresses.size(); ++i) {
        ASSERT_EQ(EEP_WriteByte(addresses[i], value_for(i)), I2C_OK) << std::hex << addresses[i];
    }
    for (size_t i = 0; i < addresses.size(); ++i) {
        int value = -1;
        EXPECT_EQ(EEP_ReadByte(addresses[i], &value), I2C_OK);
        EXPECT_EQ(value, value_for(i)) << "read back at 0x" << std::hex << addresses[i];
        EXPECT_EQ(FTSIM_EepromPeek(chip_, addresses[i]), value_for(i)) << "chip at 0x" << std::hex << addresses[i];
    }

    // Nothing else in the chip changed.
    int written = 0;
    for (int address = 0; address < kSize; ++address) written += FTSIM_EepromPeek(chip_, address) != kErased;
    EXPECT_EQ(written, static_cast<int>(addresses.size()));
}

TEST_F(EepromTest, BytesPutIntoTheChipReadBackInEveryBlock) {
    for (int block = 0; block < 8; ++block) {
        const int address = block * 0x100 + 0x80 + block;
        const int stored = 0xA0 ^ (block * 0x11);
        FTSIM_EepromPoke(chip_, address, stored);
        int value = -1;
        EXPECT_EQ(EEP_ReadByte(address, &value), I2C_OK);
        EXPECT_EQ(value, stored) << "at 0x" << std::hex << address;
    }
}

// ---- Address and data bytes on the wire ---------------------------------

struct AddressCase {
    int address;        // as the caller passes it
    int cell;           // where it lands in the chip
    const char *read;   // transaction log of a read of the byte 0x5A
    const char *write;  // data phase of a write of 0xC3
};

TEST_F(EepromTest, AddressIsCutToElevenBitsAndSplitIntoDeviceAndWordAddress) {
    const AddressCase cases[] = {
        {0x7FF, 0x7FF, "S AE+ FF+ Sr AF+ 5A- P", "S AE+ FF+ C3+ P"},
        {0x800, 0x000, "S A0+ 00+ Sr A1+ 5A- P", "S A0+ 00+ C3+ P"},
        {-1, 0x7FF, "S AE+ FF+ Sr AF+ 5A- P", "S AE+ FF+ C3+ P"},
        {0x123, 0x123, "S A2+ 23+ Sr A3+ 5A- P", "S A2+ 23+ C3+ P"},
        {0x3456, 0x456, "S A8+ 56+ Sr A9+ 5A- P", "S A8+ 56+ C3+ P"},
    };
    for (const AddressCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "address 0x" << std::hex << c.address);
        FTSIM_EepromPoke(chip_, c.cell, 0x5A);

        ClearObservations();
        int value = -1;
        EXPECT_EQ(EEP_ReadByte(c.address, &value), I2C_OK);
        EXPECT_EQ(value, 0x5A);
        EXPECT_EQ(LogLines(), Lines{c.read});

        ClearObservations();
        EXPECT_EQ(EEP_WriteByte(c.address, 0xC3), I2C_OK);
        const std::string device = std::string(c.write).substr(2, 2);
        EXPECT_EQ(LogLines(), (Lines{c.write, "S " + device + "+ P"}));
        EXPECT_EQ(FTSIM_EepromPeek(chip_, c.cell), 0xC3);
    }
}

TEST_F(EepromTest, OnlyTheLowEightBitsOfTheValueAreWritten) {
    const struct {
        int value;
        int stored;
    } cases[] = {{0x1A5, 0xA5}, {-1, 0xFF}, {0x100, 0x00}, {-256, 0x00}};
    for (const auto &c : cases) {
        EXPECT_EQ(EEP_WriteByte(0x010, c.value), I2C_OK);
        EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x010), c.stored) << "value " << c.value;
    }
}

// ---- Device kind -------------------------------------------------------

TEST_F(EepromTest, KindsOneAndTwoEnableAnythingElseDisables) {
    const struct {
        std::vector<int> kinds;  // EEP_SetKind calls, in order
        bool configured;
    } cases[] = {
        {{1}, true},     {{2}, true},   {{1, 3}, false}, {{2, 0}, false},
        {{1, -1}, false}, {{3, 2}, true}, {{2, 1}, true},  {{1, 0x101}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "last kind " << c.kinds.back());
        for (const int kind : c.kinds) EEP_SetKind(kind);
        FTSIM_EepromPoke(chip_, 0x042, 0x24);
        ClearObservations();

        int value = 1234;
        const int read = EEP_ReadByte(0x042, &value);
        const int write = EEP_WriteByte(0x042, 0x99);
        if (c.configured) {
            EXPECT_EQ(read, I2C_OK);
            EXPECT_EQ(value, 0x24);
            EXPECT_EQ(write, I2C_OK);
            EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x042), 0x99);
        } else {
            EXPECT_EQ(read, I2C_NOTCONFIGURED);
            EXPECT_EQ(value, 1234) << "out-parameter touched";
            EXPECT_EQ(write, I2C_NOTCONFIGURED);
            EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x042), 0x24);
            EXPECT_EQ(simbus::Calls(), "") << "adapter used while not configured";
            EXPECT_EQ(simbus::Log(), "");
        }
    }
}

// ---- Bytes not acknowledged -----------------------------------------------

TEST_F(EepromTest, ByteNotAcknowledgedEndsWithStopAndNoAck) {
    enum class Op { Read, Write };
    const struct {
        Op op;
        int position;  // byte of the transaction that is not acknowledged
        const char *log;
    } cases[] = {
        {Op::Read, 1, "S A2- P"},
        {Op::Read, 2, "S A2+ 23- P"},
        {Op::Read, 3, "S A2+ 23+ Sr A3- P"},
        {Op::Write, 1, "S A2- P"},
        {Op::Write, 2, "S A2+ 23- P"},
        {Op::Write, 3, "S A2+ 23+ 5A- P"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.op == Op::Read ? "read" : "write") << ", byte " << c.position);
        FTSIM_ClearFaults();
        FTSIM_SetFault(FTSIM_FAULT_NACK_BYTE, c.position);
        ClearObservations();

        if (c.op == Op::Read) {
            int value = 0x77;
            EXPECT_EQ(EEP_ReadByte(0x123, &value), I2C_NOACK);
            EXPECT_EQ(value, 0);
        } else {
            EXPECT_EQ(EEP_WriteByte(0x123, 0x5A), I2C_NOACK);
        }
        EXPECT_EQ(LogLines(), Lines{c.log});
        EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 1u);
        EXPECT_EQ(FTSIM_GetLines(), kLinesAtRest);
    }
}

TEST_F(EepromTest, EmptyBusIsNoAck) {
    FTSIM_Reset();  // the chip is gone
    int value = 0x77;
    EXPECT_EQ(EEP_ReadByte(0x7FF, &value), I2C_NOACK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(EEP_WriteByte(0x7FF, 0), I2C_NOACK);
    EXPECT_EQ(LogLines(), (Lines{"S AE- P", "S AE- P"}));
}

// ---- Acknowledge polling ------------------------------------------------

TEST_F(EepromTest, PollingRepeatsStartAndAddressUntilTheChipAnswers) {
    FTSIM_EepromSetWriteCycle(chip_, FTSIM_WC_POLLS, 3);
    EXPECT_EQ(EEP_WriteByte(0x123, 0x5A), I2C_OK);

    // Three starts after the data phase's stop (the later two repeated), then one stop.
    EXPECT_EQ(LogLines(), (Lines{"S A2+ 23+ 5A+ P", "S A2- Sr A2- Sr A2+ P"}));
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STARTS), 1u + 3u);
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 2u);
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x123), 0x5A);
}

TEST_F(EepromTest, WriteCycleThatNeverEndsGivesUpAfterTheDeadlineWithTheBusStopped) {
    FTSIM_EepromSetWriteCycle(chip_, FTSIM_WC_NEVER, 0);

    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(EEP_WriteByte(0x7FF, 0x5A), I2C_NOACK);
    const auto waited = std::chrono::steady_clock::now() - begin;

    // Not a performance figure: the driver must not give up before its deadline.
    EXPECT_GE(waited, std::chrono::milliseconds(50));

    const Lines lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "S AE+ FF+ 5A+ P");
    const std::string &poll = lines[1];
    EXPECT_EQ(poll.rfind("S AE- ", 0), 0u) << poll.substr(0, 40);
    EXPECT_EQ(poll.substr(poll.size() - 8), "Sr AE- P") << "poll ends with one stop";
    EXPECT_EQ(poll.find('+'), std::string::npos);
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 2u);
    EXPECT_EQ(FTSIM_GetLines(), kLinesAtRest);

    // Nothing is left open: the next operation starts on a clean bus.
    FTSIM_EepromSetWriteCycle(chip_, FTSIM_WC_POLLS, 1);
    FTSIM_ClearLog();
    int value = -1;
    EXPECT_EQ(EEP_ReadByte(0x000, &value), I2C_OK);
    EXPECT_EQ(LogLines(), Lines{"S A0+ 00+ Sr A1+ FF- P"});
}

}  // namespace

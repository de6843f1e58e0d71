// Adapter calls per primitive and per driver operation, counted by the
// simulated adapter, against what the waveforms imply: one write per
// condition or byte sent, two writes around one pin read per bit clocked in.
// Any call beyond those is a wasted USB round trip on real hardware.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "driver_operations.h"
#include "i2c/eeprom.h"
#include "i2c/link.h"
#include "i2c/temp.h"
#include "sim/ftsim.h"
#include "sim_bus.h"
#include "sim_setup.h"

namespace {

using robustness::Cost;

class CallCounts : public SimBusTest {
protected:
    void SetUp() override {
        SimBusTest::SetUp();
        if (HasFatalFailure()) return;
        EEP_SetKind(1);
    }
};

TEST_F(CallCounts, EachPrimitiveMakesExactlyTheCallsOfItsWaveform) {
    for (const auto &primitive : robustness::kPrimitives) {
        SCOPED_TRACE(primitive.name);
        simbus::ClearObservations();
        primitive.run();
        EXPECT_EQ(robustness::Counted(), primitive.cost);
        I2C_Stop();  // leave the bus at rest for the next one
    }
}

TEST_F(CallCounts, EachOperationMakesExactlyTheCallsOfItsBusSequence) {
    for (const auto &op : robustness::kOperations) {
        SCOPED_TRACE(op.name);
        FTSIM_Reset();
        ASSERT_GE(robustness::AddChipFor(op), 0);
        simbus::ClearObservations();

        robustness::Outs outs{};
        ASSERT_EQ(op.run(outs), I2C_OK);

        const std::string sequence = op.sequence;
        EXPECT_EQ(robustness::Counted(), robustness::SequenceCost(sequence));
        const auto count = [&](char step) {
            return static_cast<unsigned long>(std::count(sequence.begin(), sequence.end(), step));
        };
        EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STARTS), count('S') + count('Q'));
        EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), count('P'));
    }
}

// The console program's cycle once the chip has finished converting.
TEST_F(CallCounts, AReadingCycleCostsTwoHundredAndThirtyFiveAdapterCalls) {
    const int dev = FTSIM_AddThermometer(robustness::kThermometerIndex);
    FTSIM_ThermSetConversion(dev, FTSIM_CONV_READS, 1);
    simbus::ClearObservations();

    int done = 0;
    int value = 0;
    ASSERT_EQ(TEMP_StartConversion(0), I2C_OK);
    ASSERT_EQ(TEMP_IsDone(0, &done), I2C_OK);
    ASSERT_EQ(done, 1);
    ASSERT_EQ(TEMP_Read(0, &value), I2C_OK);
    ASSERT_EQ(TEMP_ReadPrecise(0, &value), I2C_OK);

    EXPECT_EQ(robustness::Counted(), robustness::ReadingCycleCost());
    EXPECT_EQ(robustness::ReadingCycleCost(), (Cost{169, 681, 66}));
    EXPECT_EQ(robustness::ReadingCycleCost().Calls(), 235u);
}

// An EEPROM write polls once per address byte not acknowledged: three
// attempts cost three starts and address bytes, and no stop between them.
TEST_F(CallCounts, AnEepromWritePaysOneStartAndAddressBytePerPoll) {
    const int dev = FTSIM_AddEeprom();
    FTSIM_EepromSetWriteCycle(dev, FTSIM_WC_POLLS, 3);
    simbus::ClearObservations();
    ASSERT_EQ(EEP_WriteByte(robustness::kEepromAddress, robustness::kEepromValue), I2C_OK);
    EXPECT_EQ(robustness::Counted(), robustness::SequenceCost("S W W W P Q Q Q P"));
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 2u);
}

}  // namespace

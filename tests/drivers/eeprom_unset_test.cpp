// The EEPROM driver in a process that never set the device kind. Kept in an
// executable of its own: the kind-set flag is global to the process.

#include <gtest/gtest.h>

#include "i2c/eeprom.h"
#include "i2c/link.h"
#include "sim/ftsim.h"
#include "sim_bus.h"

namespace {

using EepromUnsetTest = SimBusTest;

TEST_F(EepromUnsetTest, NothingReachesTheBusBeforeTheKindIsSet) {
    const int chip = FTSIM_AddEeprom();
    ASSERT_GE(chip, 0);
    FTSIM_EepromPoke(chip, 0x100, 0x3C);
    FTSIM_ClearCalls();

    int value = 1234;
    EXPECT_EQ(EEP_ReadByte(0x100, &value), I2C_NOTCONFIGURED);
    EXPECT_EQ(value, 1234) << "out-parameter touched";
    EXPECT_EQ(EEP_WriteByte(0x100, 0x99), I2C_NOTCONFIGURED);
    EXPECT_EQ(FTSIM_EepromPeek(chip, 0x100), 0x3C);
    EXPECT_EQ(simbus::Calls(), "");
    EXPECT_EQ(simbus::Log(), "");
}

}  // namespace

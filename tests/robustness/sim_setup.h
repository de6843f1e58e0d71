// The simulated chips each driver operation talks to, set up so that a
// healthy run performs exactly the bus sequence in driver_operations.h,
// and what the simulator counted.
#pragma once

#include "driver_operations.h"
#include "sim/ftsim.h"

namespace robustness {

// Contents the healthy runs read back.
constexpr int kThermometerConfig = 0x00;  // not one-shot yet: TEMP_Init writes it
constexpr int kTempMsb = 0x19, kTempLsb = 0x80, kCounter = 40, kSlope = 100;
constexpr int kEepromStored = 0xA7;
constexpr int kClockStored = 0x3C;

// Puts on the (freshly reset) bus the chip that op addresses. The EEPROM
// and the clock share addresses 0xA0..0xA3, so only one chip is ever present.
// Returns the device handle, or -1.
inline int AddChipFor(const Operation &op) {
    switch (op.chip) {
        case Chip::kThermometer: {
            const int dev = FTSIM_AddThermometer(kThermometerIndex);
            FTSIM_ThermSetConversion(dev, FTSIM_CONV_READS, 1);  // done at the first look
            FTSIM_ThermSetRaw(dev, kTempMsb, kTempLsb, kCounter, kSlope);
            FTSIM_ThermSetConfig(dev, kThermometerConfig);
            return dev;
        }
        case Chip::kEeprom: {
            const int dev = FTSIM_AddEeprom();
            FTSIM_EepromSetWriteCycle(dev, FTSIM_WC_POLLS, 1);  // ready at the first poll
            FTSIM_EepromPoke(dev, kEepromAddress, kEepromStored);
            return dev;
        }
        case Chip::kClock: {
            const int dev = FTSIM_AddClock(kClockSelect);
            FTSIM_ClockFreeze(dev, 1);
            FTSIM_ClockPoke(dev, kClockRegister, kClockStored);
            return dev;
        }
    }
    return -1;
}

inline Cost Counted() {
    return {FTSIM_GetCounter(FTSIM_COUNT_WRITES), FTSIM_GetCounter(FTSIM_COUNT_PIN_STATES),
            FTSIM_GetCounter(FTSIM_COUNT_GETBITMODE)};
}

}  // namespace robustness

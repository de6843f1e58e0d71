// Every device operation of the library as a table: how to call it, the bus
// sequence it performs, and what its out-parameters must hold after a byte
// was not acknowledged. Shared by the robustness tests, the benchmarks and
// the fuzz harness, so that all of them walk the same list.
//
// Bus sequences use the drivers' notation, one letter per step:
//   S start (or repeated start)   P stop
//   W byte written + acknowledge check (I2C_WriteByte, I2C_ReadBit)
//   R byte read (8 x I2C_ReadBit) A acknowledge sent  N not-acknowledge sent
//   C ninth clock after a read byte, sampled and ignored (I2C_ReadBit)
//   Q acknowledge poll: S W, repeated (no stop between) until acknowledged
#pragma once

#include <array>
#include <cstddef>
#include <ostream>
#include <string_view>

#include "i2c/eeprom.h"
#include "i2c/link.h"
#include "i2c/rtc.h"
#include "i2c/temp.h"

namespace robustness {

// ---- Adapter calls per bus step ------------------------------------------

// Adapter traffic: FT_Write calls, pin-state bytes written, FT_GetBitMode calls.
struct Cost {
    unsigned long writes = 0;
    unsigned long pin_states = 0;
    unsigned long pin_reads = 0;

    constexpr Cost &operator+=(const Cost &other) {
        writes += other.writes;
        pin_states += other.pin_states;
        pin_reads += other.pin_reads;
        return *this;
    }
    constexpr Cost operator+(const Cost &other) const {
        Cost sum = *this;
        sum += other;
        return sum;
    }
    constexpr Cost operator*(unsigned long times) const {
        return {writes * times, pin_states * times, pin_reads * times};
    }
    [[nodiscard]] constexpr unsigned long Calls() const { return writes + pin_reads; }
    constexpr bool operator==(const Cost &) const = default;
};

inline std::ostream &operator<<(std::ostream &out, const Cost &c) {
    return out << c.writes << " writes, " << c.pin_states << " pin states, " << c.pin_reads << " pin reads";
}

// What the waveforms cost: a condition is one write of its pin states; a bit
// clocked in is two writes (2 states, then 1) around one pin read.
namespace waveform {
constexpr Cost kStart{1, 4, 0};
constexpr Cost kStop{1, 4, 0};
constexpr Cost kByteOut{1, 24, 0};
constexpr Cost kBitIn{2, 3, 1};
constexpr Cost kByteIn = kBitIn * 8;
constexpr Cost kAckOut{1, 3, 0};
constexpr Cost kPinsOut{1, 1, 0};
constexpr Cost kPinsIn{0, 0, 1};
}  // namespace waveform

constexpr Cost StepCost(char step) {
    switch (step) {
        case 'S': return waveform::kStart;
        case 'P': return waveform::kStop;
        case 'W': {
            Cost c = waveform::kByteOut;
            c += waveform::kBitIn;
            return c;
        }
        case 'R': return waveform::kByteIn;
        case 'A':
        case 'N': return waveform::kAckOut;
        case 'C': return waveform::kBitIn;
        case 'Q': {
            Cost c = StepCost('S');
            c += StepCost('W');
            return c;
        }
        default: return {};
    }
}

// The cost of a whole sequence such as "S W W P" (spaces ignored).
constexpr Cost SequenceCost(std::string_view sequence) {
    Cost total;
    for (const char step : sequence) total += StepCost(step);
    return total;
}

static_assert(SequenceCost("S W W P") == Cost{8, 62, 2});
static_assert(SequenceCost("R") == Cost{16, 24, 8});

// ---- Operations -----------------------------------------------------------

// Out-parameters of one call. Tests fill them with kUntouched first.
constexpr int kUntouched = -0x5EED;
constexpr std::size_t kMaxOuts = 4;
using Outs = std::array<int, kMaxOuts>;

// Fixed arguments, so that every runner and every test addresses the same
// bytes: thermometer index 0 (0x90), EEPROM address 0x123 (0xA2, word 0x23),
// clock select 0 (0xA0), time Wednesday 14:07:45.
constexpr int kThermometerIndex = 0;
constexpr int kEepromAddress = 0x123;
constexpr int kEepromValue = 0x5A;
constexpr int kClockSelect = 0;
constexpr int kClockRegister = 0x10;  // first byte of the clock's free RAM
constexpr int kClockValue = 0xC3;
constexpr int kWeekday = 3, kHours = 14, kMinutes = 7, kSeconds = 45;

enum class Chip { kThermometer, kEeprom, kClock };

struct Operation {
    const char *name;
    Chip chip;
    // Bus sequence against a healthy chip that answers at once (the EEPROM
    // ready at its first poll, the thermometer not yet in one-shot mode).
    const char *sequence;
    int (*run)(Outs &outs);
    std::size_t outs;           // out-parameters in use
    int outs_after_nack;        // each of them after I2C_NOACK: a value or kUntouched
};

inline constexpr std::array kOperations = {
    Operation{"TEMP_ReadConfig", Chip::kThermometer, "S W W S W R C P",
              [](Outs &o) { return TEMP_ReadConfig(kThermometerIndex, &o[0]); }, 1, 0},
    Operation{"TEMP_WriteConfig", Chip::kThermometer, "S W W W P",
              [](Outs &) { return TEMP_WriteConfig(kThermometerIndex, 0x01); }, 0, kUntouched},
    Operation{"TEMP_Init", Chip::kThermometer, "S W W S W R C P S W W W P",
              [](Outs &) { return TEMP_Init(kThermometerIndex); }, 0, kUntouched},
    Operation{"TEMP_StartConversion", Chip::kThermometer, "S W W P",
              [](Outs &) { return TEMP_StartConversion(kThermometerIndex); }, 0, kUntouched},
    Operation{"TEMP_IsDone", Chip::kThermometer, "S W W S W R C P",
              [](Outs &o) { return TEMP_IsDone(kThermometerIndex, &o[0]); }, 1, 1},
    Operation{"TEMP_Read", Chip::kThermometer, "S W W S W R A R N P",
              [](Outs &o) { return TEMP_Read(kThermometerIndex, &o[0]); }, 1, kUntouched},
    Operation{"TEMP_ReadPrecise", Chip::kThermometer, "S W W S W R N S W W S W R N S W W S W R N P",
              [](Outs &o) { return TEMP_ReadPrecise(kThermometerIndex, &o[0]); }, 1, kUntouched},
    Operation{"EEP_ReadByte", Chip::kEeprom, "S W W S W R C P",
              [](Outs &o) { return EEP_ReadByte(kEepromAddress, &o[0]); }, 1, 0},
    Operation{"EEP_WriteByte", Chip::kEeprom, "S W W W P Q P",
              [](Outs &) { return EEP_WriteByte(kEepromAddress, kEepromValue); }, 0, kUntouched},
    Operation{"RTC_Start", Chip::kClock, "S W W W P", [](Outs &) { return RTC_Start(kClockSelect); }, 0, kUntouched},
    Operation{"RTC_SetTime", Chip::kClock, "S W W W W W W W W W P S W W W P",
              [](Outs &) { return RTC_SetTime(kClockSelect, kWeekday, kHours, kMinutes, kSeconds); }, 0,
              kUntouched},
    Operation{"RTC_GetTime", Chip::kClock, "S W W S W R A R A R A R A R N P",
              [](Outs &o) { return RTC_GetTime(kClockSelect, &o[0], &o[1], &o[2], &o[3]); }, 4, 0},
    Operation{"RTC_WriteRegister", Chip::kClock, "S W W W P",
              [](Outs &) { return RTC_WriteRegister(kClockSelect, kClockRegister, kClockValue); }, 0,
              kUntouched},
    Operation{"RTC_ReadRegister", Chip::kClock, "S W W S W R N P",
              [](Outs &o) { return RTC_ReadRegister(kClockSelect, kClockRegister, &o[0]); }, 1, 0},
};

// One reading cycle of the console program once the conversion is done:
// start it, one done-flag read that finds it finished, both readings.
constexpr const char *kReadingCycle[] = {"TEMP_StartConversion", "TEMP_IsDone", "TEMP_Read",
                                         "TEMP_ReadPrecise"};

inline const Operation &Find(std::string_view name) {
    for (const Operation &op : kOperations) {
        if (name == op.name) return op;
    }
    return kOperations[0];  // unreachable for the names used here
}

inline Cost ReadingCycleCost() {
    Cost total;
    for (const char *name : kReadingCycle) total += SequenceCost(Find(name).sequence);
    return total;
}

// ---- Primitives -----------------------------------------------------------

struct Primitive {
    const char *name;
    void (*run)();
    Cost cost;
};

inline constexpr std::array kPrimitives = {
    Primitive{"I2C_Start", [] { I2C_Start(); }, waveform::kStart},
    Primitive{"I2C_Stop", [] { I2C_Stop(); }, waveform::kStop},
    Primitive{"I2C_WriteByte", [] { I2C_WriteByte(0xA5); }, waveform::kByteOut},
    Primitive{"I2C_ReadBit", [] { static_cast<void>(I2C_ReadBit()); }, waveform::kBitIn},
    Primitive{"I2C_ReadByte", [] { static_cast<void>(I2C_ReadByte()); }, waveform::kByteIn},
    Primitive{"I2C_SendAck", [] { I2C_SendAck(0); }, waveform::kAckOut},
    Primitive{"I2C_WritePins", [] { I2C_WritePins(0x02); }, waveform::kPinsOut},
    Primitive{"I2C_ReadDataPin", [] { static_cast<void>(I2C_ReadDataPin()); }, waveform::kPinsIn},
};

}  // namespace robustness

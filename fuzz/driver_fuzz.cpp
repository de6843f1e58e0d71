// libFuzzer harness: random sequences of driver operations with random
// arguments, against chips whose every answer comes from the input:
// acknowledge or not, any data, a data line stuck low or high, or pin reads
// that fail (a pulled cable), from any point on.
//
// After each operation:
//   - its status is one the operation may return;
//   - I2C_NOACK exactly when an acknowledge check found none (for the EEPROM
//     write: the last one, its poll may see many), and then nothing after
//     that check but the end of its clock and the stop;
//   - every operation that started a transaction ended it with a stop, and
//     the bus rests with SCL low and SDA released;
//   - out-parameters follow the driver's rules (zeroed, set to 1, untouched,
//     in range).
// Any breach aborts with a message; the sanitizers catch the rest.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_bus.h"
#include "i2c/eeprom.h"
#include "i2c/link.h"
#include "i2c/rtc.h"
#include "i2c/temp.h"

namespace {

constexpr int kUntouched = -0x5EED;
constexpr unsigned kLinesAtRest = 0x02;  // SCL low, SDA released
constexpr unsigned long kWritesAfterRefusal = 2;  // SCL low after the sample, then the stop

// ---- The chips' answers ----------------------------------------------------

enum class Stuck : std::uint8_t { kNever, kLow, kHigh, kDead };

struct Chips {
    FuzzedDataProvider *input = nullptr;
    Stuck stuck = Stuck::kNever;
    unsigned long stuck_from = 0;  // pin read from which the line is stuck
    unsigned long reads = 0;
} g_chips;

int Answer() {
    ++g_chips.reads;
    if (g_chips.stuck != Stuck::kNever && g_chips.reads >= g_chips.stuck_from) {
        switch (g_chips.stuck) {
            case Stuck::kLow: return 0;
            case Stuck::kHigh: return 1;
            default: return -1;
        }
    }
    // One byte per answer: now and then a failed read, else its low bit.
    const auto byte = g_chips.input->ConsumeIntegral<std::uint8_t>();
    if (byte >= 0xF8) return -1;
    return byte & 1;
}

// ---- Invariants -------------------------------------------------------------

[[noreturn]] void Breach(const char *operation, const char *what) {
    std::fprintf(stderr, "%s: %s\n", operation, what);
    std::abort();
}

void Require(bool holds, const char *operation, const char *what) {
    if (!holds) Breach(operation, what);
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

// What every bus operation must leave behind. polled: an EEPROM write, whose
// acknowledge poll may refuse many times before the final answer.
void CheckBus(const char *op, int status, bool polled) {
    const FUZZBUS_Observed seen = FUZZBUS_Get();
    Require(seen.in_transaction == 0, op, "returned inside a transaction: no stop");
    if (seen.writes > 0) {
        Require(seen.starts > 0, op, "drove the bus without a start");
        Require(seen.stops > 0, op, "started a transaction and sent no stop");
        Require(static_cast<unsigned>(seen.lines) == kLinesAtRest, op, "bus not left at rest");
    }
    if (status == I2C_NOACK) {
        Require(seen.ack_checks > 0 && seen.last_ack == 1, op, "I2C_NOACK but the last byte was acknowledged");
        Require(seen.writes_since_ack_check == kWritesAfterRefusal, op,
                "more bus traffic after the refused byte than the stop");
    }
    if (status == I2C_OK) {
        if (polled) {
            Require(seen.ack_checks == 0 || seen.last_ack == 0, op, "I2C_OK but the poll ended refused");
        } else {
            Require(seen.refused == 0, op, "I2C_OK although a byte was not acknowledged");
        }
    }
}

// ---- Operations -------------------------------------------------------------

// An operation with no out-parameter: the bus rules and one of its two statuses.
void CheckStatusOnly(const char *op, int status) {
    CheckBus(op, status, false);
    Require(status == I2C_OK || status == I2C_NOACK, op, "status");
}

void RunOne(FuzzedDataProvider &in) {
    const int device = in.ConsumeIntegral<int>();
    const int value = in.ConsumeIntegral<int>();
    int out[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
    FUZZBUS_ClearCounts();

    switch (in.ConsumeIntegralInRange(0, 14)) {
        case 0: {
            const int s = TEMP_ReadConfig(device, &out[0]);
            CheckBus("TEMP_ReadConfig", s, false);
            Require(s == I2C_OK ? InRange(out[0], 0, 255) : s == I2C_NOACK && out[0] == 0, "TEMP_ReadConfig",
                    "status or configuration byte");
            break;
        }
        case 1: CheckStatusOnly("TEMP_WriteConfig", TEMP_WriteConfig(device, value)); break;
        case 2: CheckStatusOnly("TEMP_Init", TEMP_Init(device)); break;
        case 3: CheckStatusOnly("TEMP_StartConversion", TEMP_StartConversion(device)); break;
        case 4: {
            const int s = TEMP_IsDone(device, &out[0]);
            CheckBus("TEMP_IsDone", s, false);
            Require(s == I2C_OK ? InRange(out[0], 0, 1) : s == I2C_NOACK && out[0] == 1, "TEMP_IsDone",
                    "status or done flag");
            break;
        }
        case 5: {
            const int s = TEMP_Read(device, &out[0]);
            CheckBus("TEMP_Read", s, false);
            Require(s == I2C_OK ? InRange(out[0], 0, 65535) : s == I2C_NOACK && out[0] == kUntouched, "TEMP_Read",
                    "status or temperature");
            break;
        }
        case 6: {
            const int s = TEMP_ReadPrecise(device, &out[0]);
            CheckBus("TEMP_ReadPrecise", s, false);
            Require(s == I2C_OK ? InRange(out[0], -65088, 65472) : s == I2C_NOACK && out[0] == kUntouched,
                    "TEMP_ReadPrecise", "status or temperature");
            break;
        }
        case 7: EEP_SetKind(in.ConsumeIntegralInRange(0, 3)); break;
        case 8: {
            const int s = EEP_ReadByte(value, &out[0]);
            CheckBus("EEP_ReadByte", s, false);
            if (s == I2C_NOTCONFIGURED) {
                Require(FUZZBUS_Get().writes == 0 && out[0] == kUntouched, "EEP_ReadByte", "not configured yet touched");
            } else {
                Require(s == I2C_OK ? InRange(out[0], 0, 255) : s == I2C_NOACK && out[0] == 0, "EEP_ReadByte",
                        "status or data byte");
            }
            break;
        }
        case 9: {
            const int s = EEP_WriteByte(value, device);
            CheckBus("EEP_WriteByte", s, true);
            Require(s == I2C_OK || s == I2C_NOACK || (s == I2C_NOTCONFIGURED && FUZZBUS_Get().writes == 0),
                    "EEP_WriteByte", "status");
            break;
        }
        case 10: CheckStatusOnly("RTC_Start", RTC_Start(device)); break;
        case 11: {
            // Taken from the input in this order (argument evaluation order is unspecified).
            const int hours = in.ConsumeIntegral<int>();
            const int minutes = in.ConsumeIntegral<int>();
            const int seconds = in.ConsumeIntegral<int>();
            CheckStatusOnly("RTC_SetTime", RTC_SetTime(device, value, hours, minutes, seconds));
            break;
        }
        case 12: {
            const int s = RTC_GetTime(device, &out[0], &out[1], &out[2], &out[3]);
            CheckBus("RTC_GetTime", s, false);
            if (s == I2C_OK) {
                // BCD digits above 9 decode at face value: 0xFF is 165.
                Require(InRange(out[0], 0, 7) && InRange(out[1], 0, 45) && InRange(out[2], 0, 165) &&
                            InRange(out[3], 0, 165),
                        "RTC_GetTime", "time out of range");
            } else {
                Require(s == I2C_NOACK && out[0] == 0 && out[1] == 0 && out[2] == 0 && out[3] == 0, "RTC_GetTime",
                        "status or time not zeroed");
            }
            break;
        }
        case 13: CheckStatusOnly("RTC_WriteRegister", RTC_WriteRegister(device, value, in.ConsumeIntegral<int>())); break;
        default: {
            const int s = RTC_ReadRegister(device, value, &out[0]);
            CheckBus("RTC_ReadRegister", s, false);
            Require(s == I2C_OK ? InRange(out[0], 0, 255) : s == I2C_NOACK && out[0] == 0, "RTC_ReadRegister",
                    "status or register value");
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // The link is opened once per process, on a bus with no chip pulling.
    static const bool opened = [] {
        FUZZBUS_SetSource(nullptr);
        return I2C_Open() == I2C_OK;
    }();
    if (!opened) Breach("I2C_Open", "failed against the fuzzing adapter");

    FuzzedDataProvider in(data, size);
    g_chips = {};
    g_chips.input = &in;
    g_chips.stuck = static_cast<Stuck>(in.ConsumeIntegralInRange(0, 3));
    g_chips.stuck_from = in.ConsumeIntegralInRange<unsigned long>(1, 4000);
    EEP_SetKind(in.ConsumeIntegralInRange(0, 3));
    FUZZBUS_SetSource(Answer);

    constexpr int kMaxOperations = 12;
    const int operations = in.ConsumeIntegralInRange(1, kMaxOperations);
    for (int i = 0; i < operations; ++i) RunOne(in);

    FUZZBUS_SetSource(nullptr);
    return 0;
}

// The one simulated adapter of the process: its pins, the bus behind them,
// the chips, faults, counters and what is recorded.
#ifndef SIM_SIMULATOR_H
#define SIM_SIMULATOR_H

#include <cstdint>
#include <vector>

#include "sim/bus.h"
#include "sim/call_trace.h"
#include "sim/capture.h"
#include "sim/transaction_log.h"

namespace ftsim {

class Thermometer;
class Eeprom;
class CalendarClock;

enum class DeviceKind : uint8_t { Thermometer, Eeprom, Clock };

struct DeviceSlot {
    DeviceKind kind;
    Device *device;
};

struct Faults {
    bool open = false;
    bool baud = false;
    bool bitmode = false;
    bool d1_low = false;
    bool d1_high = false;
    unsigned long write_from = 0;       // 0: off
    unsigned long getbitmode_from = 0;  // 0: off
    unsigned long writes_seen = 0;      // FT_Write calls since write_from was set
    unsigned long gets_seen = 0;        // FT_GetBitMode calls since getbitmode_from was set
    bool therm_never_done = false;
    bool eeprom_busy = false;
};

struct Simulator {
    TransactionLog log;
    Bus bus{log};
    Capture capture;
    CallTrace calls;
    std::vector<DeviceSlot> slots;  // index = device handle
    Faults faults;

    // Adapter.
    bool open = false;
    bool bitbang = false;
    uint8_t mask = 0;      // 1 = output
    uint8_t latch = 0xFF;  // last byte written
    uint32_t baud = 0;
    long latency_us = 0;
    bool environment_applied = false;

    // Counters.
    unsigned long writes = 0;
    unsigned long pin_states = 0;
    unsigned long getbitmodes = 0;

    // Levels the master drives: bit 0 SCL, bit 1 SDA, bit 2 D2 (1 = released).
    [[nodiscard]] unsigned Drive() const {
        if (!bitbang) return 0x07;
        return static_cast<unsigned>(latch | static_cast<uint8_t>(~mask)) & 0x07u;
    }
    [[nodiscard]] unsigned Lines() const { return bus.Scl() | bus.SdaMaster() << 1 | bus.Sda() << 2; }
    void ApplyDrive() { bus.Drive(Drive()); }
    void ApplyPinStates(const uint8_t *bytes, uint32_t count);
    [[nodiscard]] uint8_t ReadPins() const;
    void ApplyDeviceFaults();
    void Wait() const;
    void ResetBus();  // devices, faults, logs, counters, capture, latency
    void ClearFaults();
    void ClearCounters();
};

Simulator &Sim();

Thermometer *ThermometerAt(int handle);
Eeprom *EepromAt(int handle);
CalendarClock *ClockAt(int handle);

}  // namespace ftsim

#endif

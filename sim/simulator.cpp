#include "sim/simulator.h"

#include <chrono>
#include <thread>

#include "sim/calendar_clock.h"
#include "sim/eeprom.h"
#include "sim/thermometer.h"

namespace ftsim {

namespace {
constexpr uint8_t kUnusedInputs = 0xF8;  // D3..D7: pulled up when inputs
constexpr uint8_t kD1 = 0x02;
constexpr uint8_t kD2 = 0x04;
}  // namespace

Simulator &Sim() {
    static Simulator simulator;
    return simulator;
}

void Simulator::ApplyPinStates(const uint8_t *bytes, uint32_t count) {
    if (!bitbang) return;
    const uint8_t released = static_cast<uint8_t>(~mask & 0x07);
    const bool capturing = capture.Active();
    unsigned drive = Drive();
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned next = (bytes[i] | released) & 0x07u;
        if (next != drive) {
            drive = next;
            bus.Drive(drive);
        }
        if (capturing) capture.Sample(Lines());
    }
    latch = bytes[count - 1];
}

uint8_t Simulator::ReadPins() const {
    // Outputs read as last written; inputs show their line: D0 the clock
    // line, D1 and D2 the data line, D3..D7 their pull-ups.
    uint8_t inputs = kUnusedInputs;
    if (bus.Scl() != 0) inputs |= 0x01;
    if (bus.Sda() != 0) inputs |= kD1 | kD2;
    uint8_t pins = static_cast<uint8_t>((latch & mask) | (inputs & ~mask));
    if (faults.d1_low) pins = static_cast<uint8_t>(pins & ~kD1);
    if (faults.d1_high) pins = static_cast<uint8_t>(pins | kD1);
    return pins;
}

void Simulator::ApplyDeviceFaults() {
    for (const DeviceSlot &slot : slots) {
        if (slot.kind == DeviceKind::Thermometer) static_cast<Thermometer *>(slot.device)->SetNeverDone(faults.therm_never_done);
        if (slot.kind == DeviceKind::Eeprom) static_cast<Eeprom *>(slot.device)->SetBusyForever(faults.eeprom_busy);
    }
}

void Simulator::Wait() const {
    if (latency_us <= 0) return;
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::microseconds(latency_us);
#if !defined(_WIN32)
    // Long waits sleep through most of it (the host's sleep is fine-grained
    // here) and spin the last part, so the demo does not burn a core.
    constexpr auto kSpin = std::chrono::microseconds(200);
    if (std::chrono::microseconds(latency_us) > 2 * kSpin) std::this_thread::sleep_until(end - kSpin);
#endif
    while (Clock::now() < end) {
    }
}

void Simulator::ClearFaults() {
    faults = Faults{};
    bus.nack_byte = 0;
    bus.sda_held_low = false;
    bus.Refresh();
    ApplyDeviceFaults();
}

void Simulator::ClearCounters() {
    writes = pin_states = getbitmodes = 0;
    bus.starts = bus.stops = 0;
}

void Simulator::ResetBus() {
    capture.Stop();
    bus.devices.clear();
    slots.clear();
    ClearFaults();
    latency_us = 0;
    bus.Reset();
    log.Clear();
    calls.Clear();
    ClearCounters();
}

namespace {
template <typename T>
T *DeviceAt(int handle, DeviceKind kind) {
    Simulator &sim = Sim();
    if (handle < 0 || static_cast<size_t>(handle) >= sim.slots.size()) return nullptr;
    const DeviceSlot &slot = sim.slots[static_cast<size_t>(handle)];
    return slot.kind == kind ? static_cast<T *>(slot.device) : nullptr;
}
}  // namespace

Thermometer *ThermometerAt(int handle) { return DeviceAt<Thermometer>(handle, DeviceKind::Thermometer); }
Eeprom *EepromAt(int handle) { return DeviceAt<Eeprom>(handle, DeviceKind::Eeprom); }
CalendarClock *ClockAt(int handle) { return DeviceAt<CalendarClock>(handle, DeviceKind::Clock); }

}  // namespace ftsim

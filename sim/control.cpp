// Control interface for tests: the bus, its chips, faults and observation.
#include <cstring>
#include <memory>
#include <string>

#include "sim/calendar_clock.h"
#include "sim/eeprom.h"
#include "sim/ftsim.h"
#include "sim/simulator.h"
#include "sim/thermometer.h"

using namespace ftsim;

namespace {

size_t CopyOut(const std::string &text, char *buf, size_t size) {
    if (buf != nullptr && size != 0) {
        const size_t n = text.size() < size - 1 ? text.size() : size - 1;
        std::memcpy(buf, text.data(), n);
        buf[n] = '\0';
    }
    return text.size();
}

// A new chip must not answer an address another chip on the bus answers:
// such a bus would only show a wired-AND of two chips talking at once.
bool Collides(const Device &candidate) {
    for (const auto &device : Sim().bus.devices) {
        for (unsigned address = 0; address < 256; address += 2) {
            const auto byte = static_cast<uint8_t>(address);
            if (candidate.Responds(byte) && device->Responds(byte)) return true;
        }
    }
    return false;
}

int AddDevice(std::unique_ptr<Device> device, DeviceKind kind) {
    Simulator &sim = Sim();
    if (Collides(*device)) return -1;
    sim.slots.push_back(DeviceSlot{kind, device.get()});
    sim.bus.devices.push_back(std::move(device));
    sim.ApplyDeviceFaults();
    return static_cast<int>(sim.slots.size() - 1);
}

uint8_t Byte(int value) { return static_cast<uint8_t>(value & 0xFF); }

}  // namespace

extern "C" {

void FTSIM_Reset(void) { Sim().ResetBus(); }

void FTSIM_SetLatencyMicros(long micros) { Sim().latency_us = micros < 0 ? 0 : micros; }

int FTSIM_AddThermometer(int address_pins) {
    return AddDevice(std::make_unique<Thermometer>(address_pins), DeviceKind::Thermometer);
}

int FTSIM_AddEeprom(void) { return AddDevice(std::make_unique<Eeprom>(), DeviceKind::Eeprom); }

int FTSIM_AddClock(int select) { return AddDevice(std::make_unique<CalendarClock>(select), DeviceKind::Clock); }

void FTSIM_ThermSetCelsius(int dev, double celsius) {
    if (Thermometer *chip = ThermometerAt(dev)) chip->SetCelsius(celsius);
}

void FTSIM_ThermSetRaw(int dev, int temp_msb, int temp_lsb, int counter, int slope) {
    if (Thermometer *chip = ThermometerAt(dev)) chip->SetRaw(Byte(temp_msb), Byte(temp_lsb), Byte(counter), Byte(slope));
}

void FTSIM_ThermSetDrift(int dev, int on) {
    if (Thermometer *chip = ThermometerAt(dev)) chip->SetDrift(on != 0);
}

void FTSIM_ThermSetConversion(int dev, int kind, long value) {
    if (Thermometer *chip = ThermometerAt(dev)) chip->SetConversion(kind, value);
}

int FTSIM_ThermGetConfig(int dev) {
    Thermometer *chip = ThermometerAt(dev);
    return chip != nullptr ? chip->Config() : -1;
}

void FTSIM_ThermSetConfig(int dev, int value) {
    if (Thermometer *chip = ThermometerAt(dev)) chip->SetConfig(Byte(value));
}

int FTSIM_ThermConversions(int dev) {
    Thermometer *chip = ThermometerAt(dev);
    return chip != nullptr ? chip->Conversions() : -1;
}

void FTSIM_EepromSetWriteCycle(int dev, int kind, long value) {
    if (Eeprom *chip = EepromAt(dev)) chip->SetWriteCycle(kind, value);
}

int FTSIM_EepromPeek(int dev, int address) {
    Eeprom *chip = EepromAt(dev);
    return chip != nullptr ? chip->Peek(address) : -1;
}

void FTSIM_EepromPoke(int dev, int address, int value) {
    if (Eeprom *chip = EepromAt(dev)) chip->Poke(address, value);
}

int FTSIM_EepromLoad(int dev, const char *path) {
    Eeprom *chip = EepromAt(dev);
    return chip != nullptr && path != nullptr && chip->Load(path) ? 0 : -1;
}

int FTSIM_EepromSave(int dev, const char *path) {
    Eeprom *chip = EepromAt(dev);
    return chip != nullptr && path != nullptr && chip->Save(path) ? 0 : -1;
}

int FTSIM_ClockPeek(int dev, int reg) {
    CalendarClock *chip = ClockAt(dev);
    return chip != nullptr ? chip->Peek(reg) : -1;
}

void FTSIM_ClockPoke(int dev, int reg, int value) {
    if (CalendarClock *chip = ClockAt(dev)) chip->Poke(reg, value);
}

void FTSIM_ClockFreeze(int dev, int frozen) {
    if (CalendarClock *chip = ClockAt(dev)) chip->Freeze(frozen != 0);
}

void FTSIM_ClockAdvance(int dev, long hundredths) {
    if (CalendarClock *chip = ClockAt(dev)) chip->Advance(hundredths);
}

void FTSIM_SetFault(int fault, long arg) {
    Simulator &sim = Sim();
    Faults &faults = sim.faults;
    const unsigned long count = arg > 0 ? static_cast<unsigned long>(arg) : 1;
    switch (fault) {
    case FTSIM_FAULT_OPEN: faults.open = true; break;
    case FTSIM_FAULT_BAUD: faults.baud = true; break;
    case FTSIM_FAULT_BITMODE: faults.bitmode = true; break;
    case FTSIM_FAULT_D1_STUCK_LOW: faults.d1_low = true; faults.d1_high = false; break;
    case FTSIM_FAULT_D1_STUCK_HIGH: faults.d1_high = true; faults.d1_low = false; break;
    case FTSIM_FAULT_WRITE_FROM:
        faults.write_from = count;
        faults.writes_seen = 0;
        break;
    case FTSIM_FAULT_GETBITMODE_FROM:
        faults.getbitmode_from = count;
        faults.gets_seen = 0;
        break;
    case FTSIM_FAULT_NACK_BYTE: sim.bus.nack_byte = count; break;
    case FTSIM_FAULT_THERM_NEVER_DONE: faults.therm_never_done = true; break;
    case FTSIM_FAULT_EEPROM_BUSY_FOREVER: faults.eeprom_busy = true; break;
    case FTSIM_FAULT_SDA_HELD_LOW:
        sim.bus.sda_held_low = true;
        sim.bus.Refresh();
        break;
    default: break;
    }
    sim.ApplyDeviceFaults();
}

void FTSIM_ClearFaults(void) { Sim().ClearFaults(); }

size_t FTSIM_GetLog(char *buf, size_t size) { return CopyOut(Sim().log.Text(), buf, size); }

void FTSIM_ClearLog(void) { Sim().log.Clear(); }

size_t FTSIM_GetCalls(char *buf, size_t size) { return CopyOut(Sim().calls.Text(), buf, size); }

void FTSIM_ClearCalls(void) { Sim().calls.Clear(); }

unsigned long FTSIM_GetCounter(int counter) {
    const Simulator &sim = Sim();
    switch (counter) {
    case FTSIM_COUNT_WRITES: return sim.writes;
    case FTSIM_COUNT_PIN_STATES: return sim.pin_states;
    case FTSIM_COUNT_GETBITMODE: return sim.getbitmodes;
    case FTSIM_COUNT_STARTS: return sim.bus.starts;
    case FTSIM_COUNT_STOPS: return sim.bus.stops;
    default: return 0;
    }
}

void FTSIM_ClearCounters(void) { Sim().ClearCounters(); }

int FTSIM_GetLines(void) { return static_cast<int>(Sim().Lines()); }

int FTSIM_CaptureStart(const char *path) {
    Simulator &sim = Sim();
    return path != nullptr && sim.capture.Start(path, sim.Lines()) ? 0 : -1;
}

void FTSIM_CaptureStop(void) { Sim().capture.Stop(); }

}  // extern "C"

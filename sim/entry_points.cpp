// The five adapter entry points over the simulated adapter.
#include "sim/d2xx_entry.h"
#include "sim/simulator.h"

using ftsim::Sim;
using ftsim::Simulator;

namespace {

constexpr unsigned char kModeReset = 0x00;        // bit-bang off, all pins inputs
constexpr unsigned char kModeAsyncBitBang = 0x01;  // each byte written sets the pins

// The handle is the address of the simulator; nothing else is accepted.
FT_HANDLE Handle() { return &Sim(); }

bool Valid(FT_HANDLE handle) { return Sim().open && handle == Handle(); }

}  // namespace

extern "C" {

FTSIM_API FT_STATUS FTSIM_CALL FT_Open(int device_index, FT_HANDLE *handle) {
    Simulator &sim = Sim();
    if (!sim.environment_applied) {
        if (FTSIM_ConfigureFromEnvironment() != 0) return FTSIM_FT_DEVICE_NOT_FOUND;
        sim.environment_applied = true;
    }
    if (handle == nullptr) return FTSIM_FT_INVALID_PARAMETER;
    if (device_index != 0 || sim.faults.open) return FTSIM_FT_DEVICE_NOT_FOUND;
    // Opened afresh: bit-bang mode off until FT_SetBitMode.
    sim.open = true;
    sim.bitbang = false;
    sim.mask = 0;
    sim.ApplyDrive();
    *handle = Handle();
    return FTSIM_FT_OK;
}

FTSIM_API FT_STATUS FTSIM_CALL FT_SetBaudRate(FT_HANDLE handle, uint32_t baud_rate) {
    Simulator &sim = Sim();
    if (!Valid(handle)) return FTSIM_FT_INVALID_HANDLE;
    if (sim.faults.baud) return FTSIM_FT_IO_ERROR;
    if (baud_rate == 0) return FTSIM_FT_INVALID_PARAMETER;
    sim.baud = baud_rate;
    return FTSIM_FT_OK;
}

FTSIM_API FT_STATUS FTSIM_CALL FT_SetBitMode(FT_HANDLE handle, unsigned char mask, unsigned char mode) {
    Simulator &sim = Sim();
    if (!Valid(handle)) return FTSIM_FT_INVALID_HANDLE;
    if (sim.faults.bitmode) return FTSIM_FT_IO_ERROR;
    if (mode != kModeReset && mode != kModeAsyncBitBang) return FTSIM_FT_INVALID_PARAMETER;
    sim.bitbang = mode == kModeAsyncBitBang;
    sim.mask = sim.bitbang ? mask : 0;
    sim.ApplyDrive();
    return FTSIM_FT_OK;
}

FTSIM_API FT_STATUS FTSIM_CALL FT_Write(FT_HANDLE handle, void *buffer, uint32_t count, uint32_t *written) {
    Simulator &sim = Sim();
    if (!Valid(handle)) return FTSIM_FT_INVALID_HANDLE;
    if (buffer == nullptr && count != 0) return FTSIM_FT_INVALID_PARAMETER;
    const auto *bytes = static_cast<const uint8_t *>(buffer);
    ++sim.writes;
    sim.Wait();
    ftsim::Faults &faults = sim.faults;
    if (faults.write_from != 0 && ++faults.writes_seen >= faults.write_from) {
        sim.calls.Write(bytes, count, false);
        if (written != nullptr) *written = 0;
        return FTSIM_FT_IO_ERROR;
    }
    sim.calls.Write(bytes, count, true);
    if (count != 0) {
        if (!sim.bitbang) sim.log.Violation("FT_Write with bit-bang mode off: the bytes went to the serial port");
        sim.pin_states += count;
        sim.ApplyPinStates(bytes, count);
    }
    if (written != nullptr) *written = count;
    return FTSIM_FT_OK;
}

#ifndef FTSIM_NO_GETBITMODE
FTSIM_API FT_STATUS FTSIM_CALL FT_GetBitMode(FT_HANDLE handle, unsigned char *pins) {
    Simulator &sim = Sim();
    if (!Valid(handle)) return FTSIM_FT_INVALID_HANDLE;
    if (pins == nullptr) return FTSIM_FT_INVALID_PARAMETER;
    ++sim.getbitmodes;
    sim.Wait();
    ftsim::Faults &faults = sim.faults;
    const bool failed = faults.getbitmode_from != 0 && ++faults.gets_seen >= faults.getbitmode_from;
    if (failed || !sim.bitbang) {
        sim.calls.GetBitMode(0, false);
        return FTSIM_FT_IO_ERROR;
    }
    const uint8_t value = sim.ReadPins();
    sim.calls.GetBitMode(value, true);
    *pins = value;
    return FTSIM_FT_OK;
}
#endif

}  // extern "C"

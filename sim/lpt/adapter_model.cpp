// Simulated parallel port with the two-latch adapter and its 32-register
// peripheral behind it. See lptsim.h for the model's behaviour.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/port_io.h"
#include "sim/lpt/lptsim.h"

namespace {

constexpr unsigned short kDefaultBase = 0x378;
constexpr unsigned short kDataOffset = 0;
constexpr unsigned short kStatusOffset = 1;
constexpr unsigned short kControlOffset = 2;

// Port control register bits as the adapter uses them.
constexpr int kStrobeControlLatch = 0x01;
constexpr int kStrobeDataLatch = 0x02;
constexpr int kSelectHighNibble = 0x08;

// Control latch.
constexpr int kRegisterMask = 0x1F;
constexpr int kNotLoopback = 0x20;
constexpr int kNotRead = 0x40;
constexpr int kNotWrite = 0x80;
constexpr int kLinesReleased = kNotWrite | kNotRead | kNotLoopback;

// Status register.
constexpr int kStatusInvertedBit = 0x80; // BUSY: the port inverts it
constexpr int kStatusNoiseMask = 0x0F;
constexpr int kNibbleShift = 4;
constexpr int kNibbleMask = 0x0F;

constexpr int kByteMask = 0xFF;
constexpr int kUndriven = 0xFF; // pull-ups on lines nothing drives
constexpr int kRegisters = 32;
constexpr int kByteValues = 256;

struct Model {
    unsigned short base = kDefaultBase;
    int acquire_result = PORT_OK;
    int last_acquire_base = -1;

    int data_lines = 0;
    int control = 0;
    int data_latch = 0;
    int control_latch = kLinesReleased;
    std::array<std::uint8_t, kRegisters> registers{};
    long register_stores = 0;

    std::array<std::uint8_t, kByteValues> shown{}; // read-back fault map
    std::vector<std::uint8_t> script;
    size_t script_next = 0;
    bool noise = true;
    std::uint32_t noise_state = 1;

    std::vector<LPTSIM_Access> trace;

    Model()
    {
        for (int v = 0; v < kByteValues; ++v) {
            shown[static_cast<size_t>(v)] = static_cast<std::uint8_t>(v);
        }
    }
};

Model g_model;

int SelectedRegister()
{
    return g_model.control_latch & kRegisterMask;
}

bool Asserted(int active_low_line)
{
    return (g_model.control_latch & active_low_line) == 0;
}

// nWRITE is a level: while it is low the selected register takes whatever
// the data latch holds.
void ApplyWriteLine()
{
    if (Asserted(kNotWrite)) {
        g_model.registers[static_cast<size_t>(SelectedRegister())] = static_cast<std::uint8_t>(g_model.data_latch);
        ++g_model.register_stores;
    }
}

void WriteControl(int value)
{
    const int rising = value & ~g_model.control;
    g_model.control = value;
    if (rising & kStrobeDataLatch) {
        g_model.data_latch = g_model.data_lines;
    }
    if (rising & kStrobeControlLatch) {
        g_model.control_latch = g_model.data_lines;
    }
    if (rising & (kStrobeDataLatch | kStrobeControlLatch)) {
        ApplyWriteLine();
    }
}

int ReadBackByte()
{
    int value = kUndriven;
    if (Asserted(kNotLoopback)) {
        value = g_model.data_latch;
    } else if (Asserted(kNotRead)) {
        value = g_model.registers[static_cast<size_t>(SelectedRegister())];
    }
    return g_model.shown[static_cast<size_t>(value)];
}

int NoiseBits()
{
    if (!g_model.noise) {
        return 0;
    }
    g_model.noise_state = g_model.noise_state * 1103515245u + 12345u;
    return static_cast<int>(g_model.noise_state >> 16) & kStatusNoiseMask;
}

int ReadStatus()
{
    if (g_model.script_next < g_model.script.size()) {
        return g_model.script[g_model.script_next++];
    }
    const int byte = ReadBackByte();
    const int nibble = (g_model.control & kSelectHighNibble) ? (byte >> kNibbleShift) & kNibbleMask : byte & kNibbleMask;
    return ((nibble << kNibbleShift) ^ kStatusInvertedBit) | NoiseBits();
}

void Record(int input, unsigned short address, int value)
{
    g_model.trace.push_back(LPTSIM_Access{input, address, static_cast<unsigned char>(value)});
}

} // namespace

// ---- Port seam -------------------------------------------------------------

extern "C" int PORT_Acquire(unsigned short base)
{
    g_model.last_acquire_base = base;
    return g_model.acquire_result;
}

extern "C" const char* PORT_FailureText(void)
{
    switch (g_model.acquire_result) {
    case PORT_OK:
        return "";
    case PORT_DENIED:
        return "simulated port: access refused";
    default:
        return "simulated port: no port I/O on this machine";
    }
}

extern "C" void PORT_Out(unsigned short address, int value)
{
    const int byte = value & kByteMask;
    Record(0, address, byte);
    if (address == g_model.base + kDataOffset) {
        g_model.data_lines = byte;
    } else if (address == g_model.base + kControlOffset) {
        WriteControl(byte);
    }
}

extern "C" int PORT_In(unsigned short address)
{
    int value = kUndriven;
    if (address == g_model.base + kStatusOffset) {
        value = ReadStatus();
    } else if (address == g_model.base + kDataOffset) {
        value = g_model.data_lines;
    } else if (address == g_model.base + kControlOffset) {
        value = g_model.control;
    }
    Record(1, address, value);
    return value;
}

// ---- Control interface -----------------------------------------------------

extern "C" void LPTSIM_Reset(void)
{
    g_model = Model{};
}

extern "C" void LPTSIM_SetBase(unsigned short base)
{
    g_model.base = base;
}

extern "C" void LPTSIM_SetAcquireResult(int status)
{
    g_model.acquire_result = status;
}

extern "C" int LPTSIM_LastAcquireBase(void)
{
    return g_model.last_acquire_base;
}

extern "C" size_t LPTSIM_TraceLength(void)
{
    return g_model.trace.size();
}

extern "C" int LPTSIM_TraceAt(size_t i, LPTSIM_Access* out)
{
    if (i >= g_model.trace.size() || out == nullptr) {
        return -1;
    }
    *out = g_model.trace[i];
    return 0;
}

extern "C" void LPTSIM_ClearTrace(void)
{
    g_model.trace.clear();
}

extern "C" int LPTSIM_DataLines(void)
{
    return g_model.data_lines;
}

extern "C" int LPTSIM_ControlRegister(void)
{
    return g_model.control;
}

extern "C" int LPTSIM_DataLatch(void)
{
    return g_model.data_latch;
}

extern "C" int LPTSIM_ControlLatch(void)
{
    return g_model.control_latch;
}

extern "C" int LPTSIM_GetRegister(int reg)
{
    return g_model.registers[static_cast<size_t>(reg & kRegisterMask)];
}

extern "C" void LPTSIM_SetRegister(int reg, int value)
{
    g_model.registers[static_cast<size_t>(reg & kRegisterMask)] = static_cast<std::uint8_t>(value & kByteMask);
}

extern "C" long LPTSIM_RegisterStores(void)
{
    return g_model.register_stores;
}

extern "C" void LPTSIM_BreakReadBack(int value, int shown)
{
    g_model.shown[static_cast<size_t>(value & kByteMask)] = static_cast<std::uint8_t>(shown & kByteMask);
}

extern "C" void LPTSIM_ScriptStatus(const unsigned char* raw, size_t count)
{
    g_model.script.assign(raw, raw + count);
    g_model.script_next = 0;
}

extern "C" void LPTSIM_SetStatusNoise(int on)
{
    g_model.noise = on != 0;
}

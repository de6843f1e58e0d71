// Bit-bang I2C master over a USB adapter in asynchronous bit-bang mode.
//
// Two layers. Pin access: the adapter's driver library, bound at run time,
// one FT_Write per run of pin states and one FT_GetBitMode per sample. Bus
// protocol: each condition the master drives is a fixed waveform (see
// waveforms.h) written in one go; each bit clocked in is a sample taken while
// SCL is high. The adapter's baud-rate setting paces the pin states; no delay
// is added here.
#include "i2c/link.h"

#include <cstddef>
#include <cstdint>

#include "i2c/d2xx.h"
#include "i2c/waveforms.h"
#include "platform/dynlib.h"

namespace {

// ---- Adapter set-up ---------------------------------------------------------

constexpr int kAdapterIndex = 0;                 // first adapter on the USB bus
constexpr std::uint32_t kBaudRate = 57600;       // about 0.92 M pin states/s on full-speed chips
constexpr unsigned char kAsyncBitBang = 0x01;    // bit mode: each byte written sets the pins
constexpr int kOpenFailed = 1;                   // I2C_Open's single failure status
constexpr int kReleased = 1;                     // a sampled bit: SDA high, pulled up

// ---- Pin access -------------------------------------------------------------

// The library's entry points and the open adapter. Bound once by I2C_Open and
// never released; the library's own module handle is not kept.
struct Adapter {
    d2xx::OpenFn open = nullptr;
    d2xx::SetBitModeFn set_bit_mode = nullptr;
    d2xx::WriteFn write = nullptr;
    d2xx::SetBaudRateFn set_baud_rate = nullptr;
    d2xx::GetBitModeFn get_bit_mode = nullptr;
    d2xx::Handle handle = nullptr;
};
Adapter g_adapter;

template <typename Function>
[[nodiscard]] bool Resolve(void *library, const char *name, Function &entry) {
    entry = reinterpret_cast<Function>(DYNLIB_Resolve(library, name));
    return entry != nullptr;
}

// One adapter write: the states reach the pins in order, and the pins hold the
// last one until the next write. True if the library reported success.
bool WriteStates(const pins::State *states, std::size_t count) {
    if (g_adapter.write == nullptr) {
        return false;  // link not open
    }
    std::uint32_t written = 0;  // not examined: the status says it all
    return g_adapter.write(g_adapter.handle, states, static_cast<std::uint32_t>(count), &written) ==
           d2xx::kOk;
}

template <std::size_t N>
bool WriteStates(const std::array<pins::State, N> &states) {
    return WriteStates(states.data(), N);
}

// One sample of the pins' present levels (D7..D0). False if the read failed.
[[nodiscard]] bool ReadLevels(pins::State &levels) {
    if (g_adapter.get_bit_mode == nullptr) {
        return false;  // link not open
    }
    unsigned char sample = 0;
    if (g_adapter.get_bit_mode(g_adapter.handle, &sample) != d2xx::kOk) {
        return false;
    }
    levels = sample;
    return true;
}

// Power-on line test: drive D1 to one level with SCL low and check that D1
// reads back the same. Catches an adapter that is not in bit-bang mode or whose
// D1 output is stuck. D2 is not compared: a device may hold SDA low.
[[nodiscard]] bool DataOutputReadsBack(pins::State state) {
    pins::State levels = 0;
    return WriteStates(&state, 1) && ReadLevels(levels) && ((levels ^ state) & pins::kSdaOut) == 0;
}

}  // namespace

// ---- Start-up ---------------------------------------------------------------

extern "C" int I2C_Open(void) {
    void *const library = DYNLIB_Load(DYNLIB_ADAPTER_LIBRARY);
    if (library == nullptr) {
        return kOpenFailed;
    }
    Adapter &a = g_adapter;
    if (!Resolve(library, "FT_Open", a.open) || !Resolve(library, "FT_SetBitMode", a.set_bit_mode) ||
        !Resolve(library, "FT_Write", a.write) || !Resolve(library, "FT_SetBaudRate", a.set_baud_rate) ||
        !Resolve(library, "FT_GetBitMode", a.get_bit_mode)) {
        return kOpenFailed;
    }
    if (a.open(kAdapterIndex, &a.handle) != d2xx::kOk) {
        return kOpenFailed;
    }
    if (a.set_baud_rate(a.handle, kBaudRate) != d2xx::kOk) {
        return kOpenFailed;
    }
    if (a.set_bit_mode(a.handle, pins::kOutputs, kAsyncBitBang) != d2xx::kOk) {
        return kOpenFailed;
    }
    // D1 must follow: released (high), then pulled low. SCL stays low, so no
    // device sees a condition.
    if (!DataOutputReadsBack(pins::kSclLowSdaReleased) || !DataOutputReadsBack(pins::kSclLowSdaLow)) {
        return kOpenFailed;
    }
    // Whatever a device made of the power-up, end it: the bus rests with SCL
    // low and SDA released. A failure of this write shows on first use.
    I2C_Stop();
    return I2C_OK;
}

// ---- Bus conditions ---------------------------------------------------------
// Each leaves SCL low; the line state it leaves is noted.

// Leaves SDA low: inside a transaction this is a repeated start.
extern "C" void I2C_Start(void) { WriteStates(pins::kStart); }

// Leaves SDA released: the bus at rest.
extern "C" void I2C_Stop(void) { WriteStates(pins::kStop); }

// Leaves SDA low after an acknowledge, released after a not-acknowledge.
extern "C" void I2C_SendAck(int nack) { WriteStates((nack & 1) != 0 ? pins::kBitOne : pins::kBitZero); }

// Eight bits, most significant first, in one write. Leaves SDA as bit 0 was.
extern "C" void I2C_WriteByte(int value) { WriteStates(pins::kByteWaveforms[static_cast<std::size_t>(value & 0xFF)]); }

// One clock with SDA released, sampled while SCL is high. Leaves SDA released.
// A failed sample reads as 1, the level of a released line: a link that dies
// then shows up as a byte not acknowledged instead of as data of 0x00.
extern "C" int I2C_ReadBit(void) {
    WriteStates(pins::kSampleRise);
    pins::State levels = 0;
    const int bit = ReadLevels(levels) ? ((levels & pins::kSdaIn) != 0 ? 1 : 0) : kReleased;
    WriteStates(pins::kSampleFall);
    return bit;
}

extern "C" int I2C_ReadByte(void) {
    int value = 0;
    for (int bit = 0; bit < pins::kBitsPerByte; ++bit) {
        value = value * 2 + I2C_ReadBit();
    }
    return value;
}

// ---- Raw pin access ---------------------------------------------------------

extern "C" void I2C_WritePins(int states) {
    const auto state = static_cast<pins::State>(states);  // the low 8 bits, as they are
    WriteStates(&state, 1);
}

// Writes nothing, so neither line moves. A failed read returns 0.
extern "C" int I2C_ReadDataPin(void) {
    pins::State levels = 0;
    return ReadLevels(levels) && (levels & pins::kSdaIn) != 0 ? 1 : 0;
}

// A bare bus master for the simulated adapter's own tests: it drives the
// pins through the adapter entry points with raw pin-state bytes, so these
// tests depend on nothing but the library under test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/d2xx_entry.h"
#include "sim/ftsim.h"

namespace rawbus {

// Pin-state bytes: bit 0 SCL, bit 1 SDA driven by the master, bit 2 SDA on the bus.
constexpr uint8_t kScl = 0x01;
constexpr uint8_t kSda = 0x02;
constexpr uint8_t kSdaBus = 0x04;
constexpr unsigned char kMask = kScl | kSda;
constexpr unsigned char kAsyncBitBang = 0x01;

// The adapter, opened once per process and left in bit-bang mode.
inline FT_HANDLE Adapter() {
    static FT_HANDLE handle = [] {
        FT_HANDLE h = nullptr;
        FTSIM_Reset();
        if (FT_Open(0, &h) != 0) return static_cast<FT_HANDLE>(nullptr);
        if (FT_SetBaudRate(h, 57600) != 0 || FT_SetBitMode(h, kMask, kAsyncBitBang) != 0) return static_cast<FT_HANDLE>(nullptr);
        return h;
    }();
    return handle;
}

inline void Write(std::vector<uint8_t> states) {
    uint32_t written = 0;
    ASSERT_EQ(FT_Write(Adapter(), states.data(), static_cast<uint32_t>(states.size()), &written), 0u);
    ASSERT_EQ(written, states.size());
}

inline uint8_t Pins() {
    unsigned char pins = 0;
    EXPECT_EQ(FT_GetBitMode(Adapter(), &pins), 0u);
    return pins;
}

// Conditions with the same waveforms a careful master uses: SDA moves only
// while SCL is low, except for start and stop.
inline void Start() { Write({kSda, kSda | kScl, kScl, 0}); }
inline void Stop() { Write({0, kScl, kScl | kSda, kSda}); }

inline void SendBit(unsigned bit) {
    const uint8_t sda = bit != 0 ? kSda : 0;
    Write({sda, static_cast<uint8_t>(sda | kScl), sda});
}

// Clock in one bit with SDA released; the level is sampled while SCL is high.
inline unsigned ReadBit() {
    Write({kSda, kSda | kScl});
    const unsigned bit = (Pins() & kSdaBus) != 0 ? 1u : 0u;
    Write({kSda});
    return bit;
}

// A byte and its acknowledge check: true when acknowledged.
inline bool WriteByte(uint8_t value) {
    std::vector<uint8_t> states;
    for (int i = 7; i >= 0; --i) {
        const uint8_t sda = (value >> i) & 1 ? kSda : 0;
        states.insert(states.end(), {sda, static_cast<uint8_t>(sda | kScl), sda});
    }
    Write(states);
    return ReadBit() == 0;
}

inline uint8_t ReadByte(bool acknowledge) {
    unsigned value = 0;
    for (int i = 0; i < 8; ++i) value = value << 1 | ReadBit();
    SendBit(acknowledge ? 0 : 1);
    return static_cast<uint8_t>(value);
}

inline std::string Fetch(size_t (*get)(char *, size_t)) {
    const size_t length = get(nullptr, 0);
    std::vector<char> text(length + 1);
    get(text.data(), text.size());
    return std::string(text.data(), length);
}

inline std::string Log() { return Fetch(FTSIM_GetLog); }
inline std::string Calls() { return Fetch(FTSIM_GetCalls); }

}  // namespace rawbus

// Adapter open in bit-bang mode; empty bus, no faults, clear records.
class RawBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(rawbus::Adapter(), nullptr) << "the simulated adapter did not open";
        FTSIM_Reset();
        rawbus::Stop();  // lines at rest: SCL low, SDA released
        FTSIM_Reset();
    }
};

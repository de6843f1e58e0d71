// Pin-state bytes and the waveforms of the bus conditions. Private to the
// link.
//
// A pin-state byte sets adapter pins D7..D0 for one step of the adapter's
// bit-bang clock. The bus is wired as:
//   D0  SCL, driven only (never sampled: no clock stretching)
//   D1  SDA as the master drives it: 1 = released (pulled up), 0 = pulled low
//   D2  SDA as seen on the bus, input only: D1 wired-AND every device
//   D3..D7 unused inputs, written as 0
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pins {

using State = std::uint8_t;

constexpr State kScl = 0x01;                 // D0: clock line high
constexpr State kSdaOut = 0x02;              // D1: data line released
constexpr State kSdaIn = 0x04;               // D2: data line level on the bus
constexpr State kOutputs = kScl | kSdaOut;   // direction mask: D0, D1 out

// The four line states the master drives.
constexpr State kSclLowSdaLow = 0x00;
constexpr State kSclHighSdaLow = kScl;
constexpr State kSclLowSdaReleased = kSdaOut;
constexpr State kSclHighSdaReleased = kScl | kSdaOut;

// Every waveform starts from SCL low (SDA low or released) and ends with SCL
// low, so any one may follow any other. SDA only changes while SCL is low,
// except for the start and stop edges themselves.

// Start (a repeated start inside a transaction): release SDA, raise SCL, SDA
// falls while SCL is high, SCL low. Leaves SCL low, SDA low.
constexpr std::array<State, 4> kStart = {kSclLowSdaReleased, kSclHighSdaReleased, kSclHighSdaLow,
                                         kSclLowSdaLow};

// Stop: pull SDA low, raise SCL, SDA rises while SCL is high, SCL low. Leaves
// the bus at rest: SCL low, SDA released.
constexpr std::array<State, 4> kStop = {kSclLowSdaLow, kSclHighSdaLow, kSclHighSdaReleased,
                                        kSclLowSdaReleased};

// A data bit 1, or a not-acknowledge: SDA released, one clock pulse.
// Leaves SCL low, SDA released.
constexpr std::array<State, 3> kBitOne = {kSclLowSdaReleased, kSclHighSdaReleased, kSclLowSdaReleased};

// A data bit 0, or an acknowledge: SDA low, one clock pulse.
// Leaves SCL low, SDA low.
constexpr std::array<State, 3> kBitZero = {kSclLowSdaLow, kSclHighSdaLow, kSclLowSdaLow};

// A bit clocked in, in two writes around a pin read: release SDA and raise
// SCL (the bit is sampled now, SCL high) ...
constexpr std::array<State, 2> kSampleRise = {kSclLowSdaReleased, kSclHighSdaReleased};
// ... then SCL low again. Leaves SCL low, SDA released.
constexpr std::array<State, 1> kSampleFall = {kSclLowSdaReleased};

constexpr int kBitsPerByte = 8;

// A whole byte: its eight bits, most significant first, each as its data-bit
// group. 24 states, sent with one write. Leaves SCL low, SDA as bit 0 was.
using ByteWaveform = std::array<State, kBitsPerByte * kBitOne.size()>;

constexpr ByteWaveform MakeByteWaveform(int value) {
    ByteWaveform states{};
    auto next = states.begin();
    for (int bit = kBitsPerByte - 1; bit >= 0; --bit) {
        const auto &group = ((value >> bit) & 1) != 0 ? kBitOne : kBitZero;
        for (const State state : group) {
            *next++ = state;
        }
    }
    return states;
}

// The waveform of every byte value, built at compile time (6 KB), so sending
// a byte costs one table look-up on top of the adapter write.
constexpr std::array<ByteWaveform, 256> kByteWaveforms = [] {
    std::array<ByteWaveform, 256> table{};
    for (int value = 0; value < 256; ++value) {
        table[static_cast<std::size_t>(value)] = MakeByteWaveform(value);
    }
    return table;
}();

static_assert(kByteWaveforms[0xA5] == MakeByteWaveform(0xA5));
static_assert(kByteWaveforms[0x80][1] == kSclHighSdaReleased && kByteWaveforms[0x80][4] == kSclHighSdaLow);

}  // namespace pins

// 2 KB serial EEPROM (24C16 style) over the bit-bang link.
//
// The chip answers at eight consecutive bus addresses, 0xA0..0xAE, one per
// 256-byte block: memory address bits 10..8 travel as device address bits
// 3..1 and bits 7..0 as the word-address byte. A byte write starts the
// chip's internal write cycle at the stop; while it lasts the chip does not
// acknowledge its address, so the driver polls for that acknowledge.

#include "i2c/eeprom.h"

#include <chrono>

#include "i2c/bus_steps.h"
#include "i2c/link.h"

namespace {

using bus::Abandon;
using bus::Sent;

// ---- Chip facts ---------------------------------------------------------

constexpr int kAddressMask = 0x7FF;   // 11-bit memory address, 2048 bytes
constexpr int kDeviceBase = 0xA0;     // device address byte of block 0, write
constexpr int kBlockShift = 7;        // address bits 10..8 -> device bits 3..1
constexpr int kBlockBits = 0x0E;      // device address bits that select the block
constexpr int kWordMask = 0xFF;       // word address within a block
constexpr int kByteMask = 0xFF;       // one data byte

// A byte write cycle (tWR) lasts at most 10 ms on a 24C16. The poll gives up
// well past that, so a slow host or USB round trips never fail a good chip,
// while a chip that has left the bus cannot hang the caller.
constexpr std::chrono::milliseconds kWriteCycleTimeout{50};

// Kinds 1 and 2 name the same chip; the kind is not kept, only that one was set.
constexpr int kKindFirst = 1;
constexpr int kKindLast = 2;

bool g_kind_set = false;

// ---- Addressing ---------------------------------------------------------

struct Location {
    int write_address;  // aw: 0xA0..0xAE (reads set the direction bit)
    int word_address;   // low eight address bits
};

// The only place a memory address becomes bus bytes. Bits above bit 10 are
// dropped first, so 0x800 is 0 and -1 is 0x7FF.
constexpr Location Locate(int address) {
    const int offset = address & kAddressMask;
    return {kDeviceBase + ((offset >> kBlockShift) & kBlockBits), offset & kWordMask};
}

// ---- Bus steps ----------------------------------------------------------

// Acknowledge polling: S W(aw), then Sr W(aw) on the transaction the last
// attempt left open, until the chip answers. The clock is read only after an
// attempt the chip refused, and one more attempt follows the one that found
// the deadline passed: a host held up between two polls still gives the chip
// one more chance.
[[nodiscard]] bool WriteCycleDone(int write_address, std::chrono::steady_clock::time_point deadline) {
    for (bool last_chance = false;; last_chance = std::chrono::steady_clock::now() >= deadline) {
        I2C_Start();
        if (Sent(write_address)) {
            return true;
        }
        if (last_chance) {
            return false;
        }
    }
}

}  // namespace

extern "C" void EEP_SetKind(int kind) { g_kind_set = kind >= kKindFirst && kind <= kKindLast; }

extern "C" int EEP_ReadByte(int address, int *value) {
    if (!g_kind_set) {
        return I2C_NOTCONFIGURED;
    }
    *value = 0;
    const Location at = Locate(address);

    if (!bus::Turnaround(at.write_address, at.word_address)) {
        return Abandon();
    }
    const int byte = bus::ReceivedThenClock();  // the chip stops sending
    I2C_Stop();
    *value = byte;
    return I2C_OK;
}

extern "C" int EEP_WriteByte(int address, int value) {
    if (!g_kind_set) {
        return I2C_NOTCONFIGURED;
    }
    const Location at = Locate(address);

    I2C_Start();
    if (!Sent(at.write_address) || !Sent(at.word_address) || !Sent(value & kByteMask)) {
        return Abandon();
    }
    I2C_Stop();  // the chip's write cycle starts here, and so does the deadline
    const auto deadline = std::chrono::steady_clock::now() + kWriteCycleTimeout;

    if (!WriteCycleDone(at.write_address, deadline)) {
        return Abandon();
    }
    I2C_Stop();
    return I2C_OK;
}

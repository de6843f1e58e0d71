// Whole transactions for the chip tests, made of the raw master's conditions.
#pragma once

#include <initializer_list>
#include <vector>

#include "raw_master.h"

namespace rawbus {

// S addr data... P; true when every byte was acknowledged.
inline bool WriteTransaction(uint8_t address, std::initializer_list<uint8_t> data) {
    Start();
    bool ok = WriteByte(address);
    for (uint8_t byte : data) ok = WriteByte(byte) && ok;
    Stop();
    return ok;
}

// S addr W(pointer...) Sr addr+1 R... P, the last byte not acknowledged.
inline std::vector<uint8_t> ReadAfter(uint8_t address, std::initializer_list<uint8_t> pointer, size_t count) {
    Start();
    WriteByte(address);
    for (uint8_t byte : pointer) WriteByte(byte);
    Start();
    WriteByte(static_cast<uint8_t>(address | 1));
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < count; ++i) bytes.push_back(ReadByte(i + 1 < count));
    Stop();
    return bytes;
}

}  // namespace rawbus

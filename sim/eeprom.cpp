#include "sim/eeprom.h"

#include <algorithm>
#include <cstdio>

#include "sim/ftsim.h"

namespace ftsim {

namespace {
constexpr uint8_t kAddressBase = 0xA0;   // 1010 B2 B1 B0 R/W
constexpr uint8_t kErased = 0xFF;
constexpr unsigned kAddressMask = Eeprom::kSize - 1;  // 11-bit address counter
constexpr unsigned kPageSize = 16;
constexpr long kDefaultWriteCycleMicros = 5000;  // the datasheet's maximum tWR
}  // namespace

Eeprom::Eeprom() : cycle_kind_(FTSIM_WC_MICROS), cycle_value_(kDefaultWriteCycleMicros) { memory_.fill(kErased); }

bool Eeprom::Responds(uint8_t address_byte) const { return (address_byte & 0xF0) == kAddressBase; }

bool Eeprom::WriteCycleRunning() {
    if (!writing_) return false;
    if (busy_forever_) return true;
    switch (cycle_kind_) {
    case FTSIM_WC_MICROS:
        writing_ = std::chrono::steady_clock::now() - cycle_start_ < std::chrono::microseconds(cycle_value_);
        break;
    case FTSIM_WC_POLLS:
        writing_ = ++polls_ < cycle_value_;
        break;
    default:
        break;  // never ends
    }
    return writing_;
}

void Eeprom::OnStart() {
    // A start before the stop abandons a page write: nothing is programmed.
    page_loaded_ = 0;
    expect_word_address_ = false;
}

void Eeprom::OnStop() {
    expect_word_address_ = false;
    if (page_loaded_ == 0) return;
    for (unsigned i = 0; i < kPageSize; ++i) {
        if ((page_loaded_ >> i) & 1u) memory_[page_base_ + i] = page_[i];
    }
    page_loaded_ = 0;
    writing_ = true;
    cycle_start_ = std::chrono::steady_clock::now();
    polls_ = 0;
}

bool Eeprom::OnAddress(uint8_t address_byte) {
    if (WriteCycleRunning()) return false;
    if ((address_byte & 1) == 0) {
        block_ = (address_byte >> 1) & 7u;
        expect_word_address_ = true;
    }
    return true;
}

bool Eeprom::OnWrite(uint8_t byte) {
    if (expect_word_address_) {
        expect_word_address_ = false;
        pointer_ = block_ << 8 | byte;
        return true;
    }
    // Within a page only the low four address bits count up, wrapping.
    page_base_ = pointer_ & ~(kPageSize - 1);
    const unsigned offset = pointer_ & (kPageSize - 1);
    page_[offset] = byte;
    page_loaded_ = static_cast<uint16_t>(page_loaded_ | 1u << offset);
    pointer_ = page_base_ | ((offset + 1) & (kPageSize - 1));
    return true;
}

uint8_t Eeprom::OnRead() {
    const uint8_t value = memory_[pointer_];
    pointer_ = (pointer_ + 1) & kAddressMask;  // sequential reads roll over the whole array
    return value;
}

void Eeprom::SetWriteCycle(int kind, long value) {
    cycle_kind_ = kind;
    cycle_value_ = value;
    polls_ = 0;
}

int Eeprom::Peek(int address) const {
    if (address < 0 || address >= kSize) return -1;
    return memory_[static_cast<unsigned>(address)];
}

void Eeprom::Poke(int address, int value) {
    if (address < 0 || address >= kSize) return;
    memory_[static_cast<unsigned>(address)] = static_cast<uint8_t>(value);
}

bool Eeprom::Load(const char *path) {
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::array<uint8_t, kSize + 1> buffer;
    buffer.fill(kErased);
    const size_t length = std::fread(buffer.data(), 1, buffer.size(), file);
    const bool ok = std::ferror(file) == 0 && length <= static_cast<size_t>(kSize);
    std::fclose(file);
    if (!ok) return false;
    std::copy(buffer.begin(), buffer.begin() + kSize, memory_.begin());
    return true;
}

bool Eeprom::Save(const char *path) const {
    std::FILE *file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(memory_.data(), 1, memory_.size(), file) == memory_.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace ftsim

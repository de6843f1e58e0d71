// 24C16-style serial EEPROM: 2048 bytes in eight 256-byte blocks. The block
// travels in bits 3..1 of the device address, the low byte in the word
// address. Writes collect in a 16-byte page buffer and reach the array at the
// stop; then the internal write cycle runs and the chip acknowledges nothing.
#ifndef SIM_EEPROM_H
#define SIM_EEPROM_H

#include <array>
#include <chrono>
#include <cstdint>

#include "sim/device.h"

namespace ftsim {

class Eeprom final : public Device {
public:
    static constexpr int kSize = 2048;

    Eeprom();

    [[nodiscard]] bool Responds(uint8_t address_byte) const override;
    void OnStart() override;
    void OnStop() override;
    bool OnAddress(uint8_t address_byte) override;
    bool OnWrite(uint8_t byte) override;
    uint8_t OnRead() override;

    // kind: FTSIM_WC_MICROS / POLLS / NEVER.
    void SetWriteCycle(int kind, long value);
    void SetBusyForever(bool on) { busy_forever_ = on; }
    [[nodiscard]] int Peek(int address) const;
    void Poke(int address, int value);
    bool Load(const char *path);
    bool Save(const char *path) const;

private:
    [[nodiscard]] bool WriteCycleRunning();

    std::array<uint8_t, kSize> memory_;
    unsigned pointer_ = 0;  // 11-bit internal address counter
    unsigned block_ = 0;    // from the last write address byte
    bool expect_word_address_ = false;
    std::array<uint8_t, 16> page_{};
    uint16_t page_loaded_ = 0;  // one bit per page-buffer byte
    unsigned page_base_ = 0;

    int cycle_kind_;
    long cycle_value_;
    bool busy_forever_ = false;
    bool writing_ = false;  // internal write cycle in progress
    std::chrono::steady_clock::time_point cycle_start_{};
    long polls_ = 0;
};

}  // namespace ftsim

#endif

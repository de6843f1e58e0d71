// PCF8583-style clock/calendar: 256 bytes behind an auto-incrementing
// register pointer. Registers:
//   0x00 control (bit 7: stop counting; bits 5..4: function, 00 = 32.768 kHz clock)
//   0x01 hundredths  0x02 seconds  0x03 minutes (BCD)
//   0x04 hours: bit 7 12-hour format, bit 6 PM, bits 5..0 BCD
//   0x05 year (bits 7..6, 0 = leap year) and date (BCD, bits 5..0)
//   0x06 weekday (bits 7..5) and month (BCD, bits 4..0)
//   0x07 timer, 0x08..0x0F alarm registers, 0x10..0xFF RAM
// The counters advance lazily, when the chip is addressed or inspected.
#ifndef SIM_CALENDAR_CLOCK_H
#define SIM_CALENDAR_CLOCK_H

#include <array>
#include <chrono>
#include <cstdint>

#include "sim/device.h"

namespace ftsim {

class CalendarClock final : public Device {
public:
    explicit CalendarClock(int select);

    [[nodiscard]] bool Responds(uint8_t address_byte) const override;
    bool OnAddress(uint8_t address_byte) override;
    bool OnWrite(uint8_t byte) override;
    uint8_t OnRead() override;

    [[nodiscard]] uint8_t AddressByte() const { return address_; }
    [[nodiscard]] int Peek(int reg);
    void Poke(int reg, int value);
    void Freeze(bool frozen);
    // Counts as if this many hundredths of a second had passed.
    void Advance(long hundredths);
    // Set the time registers to this wall-clock time and let it run.
    void SetFromLocalTime();

private:
    void Tick();

    uint8_t address_;
    std::array<uint8_t, 256> registers_{};
    uint8_t pointer_ = 0;
    bool expect_pointer_ = false;
    bool frozen_ = true;
    std::chrono::steady_clock::time_point last_tick_;
};

}  // namespace ftsim

#endif

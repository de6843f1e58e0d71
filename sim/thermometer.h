// DS1621-style digital thermometer: a command byte selects a register,
// conversions latch the temperature into the read registers.
//
// Configuration register:
//   bit 7  DONE   1 = conversion complete (read only)
//   bit 6  THF    set when a conversion reached TH; cleared by writing 0
//   bit 5  TLF    set when a conversion reached TL; cleared by writing 0
//   bit 4  NVB    non-volatile memory busy (read only; never set here)
//   bit 1  POL    output polarity
//   bit 0  1SHOT  1 = one conversion per Start Convert, 0 = continuous
#ifndef SIM_THERMOMETER_H
#define SIM_THERMOMETER_H

#include <chrono>
#include <cstdint>

#include "sim/device.h"

namespace ftsim {

class Thermometer final : public Device {
public:
    explicit Thermometer(int address_pins);

    [[nodiscard]] bool Responds(uint8_t address_byte) const override;
    bool OnAddress(uint8_t address_byte) override;
    bool OnWrite(uint8_t byte) override;
    uint8_t OnRead() override;

    // What the sensor measures; the next conversion latches it.
    void SetCelsius(double celsius);
    void SetRaw(uint8_t msb, uint8_t lsb, uint8_t counter, uint8_t slope);
    void SetDrift(bool on) { drift_ = on; }
    // kind: FTSIM_CONV_MILLIS / READS / NEVER.
    void SetConversion(int kind, long value);
    void SetNeverDone(bool on) { never_done_ = on; }
    [[nodiscard]] int Config();
    void SetConfig(uint8_t value) { config_ = value; }
    [[nodiscard]] int Conversions() const { return conversions_started_; }

private:
    void StartConversion();
    void Progress(bool configuration_read);
    void Complete();
    [[nodiscard]] double SensorCelsius();

    int pins_;
    uint8_t config_;
    uint8_t temp_msb_, temp_lsb_, counter_, slope_;
    uint8_t th_msb_, th_lsb_, tl_msb_, tl_lsb_;

    uint8_t command_ = 0;
    bool expect_command_ = false;
    unsigned data_index_ = 0;  // bytes after the command, written or read

    double celsius_;
    bool raw_set_ = false;
    uint8_t raw_[4] = {};
    bool drift_ = false;
    uint32_t noise_state_ = 0x2545F491u;

    int conversion_kind_;
    long conversion_value_;
    bool never_done_ = false;
    bool converting_ = false;
    bool continuous_ = false;
    std::chrono::steady_clock::time_point conversion_start_{};
    std::chrono::steady_clock::time_point created_;
    long configuration_reads_ = 0;
    int conversions_started_ = 0;
};

}  // namespace ftsim

#endif

#include "sim/thermometer.h"

#include <algorithm>
#include <cmath>

#include "sim/ftsim.h"

namespace ftsim {

namespace {

constexpr uint8_t kAddressBase = 0x90;  // 1001 A2 A1 A0 R/W

// Command bytes.
constexpr uint8_t kCmdAccessConfig = 0xAC;    // one byte written, or read
constexpr uint8_t kCmdStartConvert = 0xEE;    // nothing follows
constexpr uint8_t kCmdStopConvert = 0x22;     // nothing follows
constexpr uint8_t kCmdReadTemperature = 0xAA; // two bytes read
constexpr uint8_t kCmdReadCounter = 0xA8;     // one byte read
constexpr uint8_t kCmdReadSlope = 0xA9;       // one byte read
constexpr uint8_t kCmdAccessTh = 0xA1;        // two bytes written or read
constexpr uint8_t kCmdAccessTl = 0xA2;        // two bytes written or read

// Configuration register bits.
constexpr uint8_t kDone = 0x80;
constexpr uint8_t kThf = 0x40;
constexpr uint8_t kTlf = 0x20;
constexpr uint8_t kPol = 0x02;
constexpr uint8_t kOneShot = 0x01;

constexpr uint8_t kHalfDegree = 0x80;  // second temperature byte
constexpr uint8_t kIdleByte = 0xFF;    // read past a register: the line stays released

// The sensor's range and the counter resolution the model reports.
constexpr double kMinCelsius = -55.0;
constexpr double kMaxCelsius = 125.0;
constexpr int kSlope = 100;  // counts per degree

// Power-up register contents: no conversion yet, thresholds from the
// non-volatile cells at a plausible factory state.
constexpr uint8_t kPowerUpConfig = kDone;
constexpr uint8_t kPowerUpTempMsb = 0xC4;  // -60 C: the register before any conversion
constexpr uint8_t kPowerUpThMsb = 0x50;    // 80 C
constexpr uint8_t kPowerUpTlMsb = 0x0A;    // 10 C

constexpr long kDefaultConversionMillis = 750;  // the chip's maximum conversion time
constexpr double kDefaultCelsius = 21.0;         // a room until told otherwise

}  // namespace

Thermometer::Thermometer(int address_pins)
    : pins_(address_pins & 7),
      config_(kPowerUpConfig),
      temp_msb_(kPowerUpTempMsb),
      temp_lsb_(0),
      counter_(0),
      slope_(0),
      th_msb_(kPowerUpThMsb),
      th_lsb_(0),
      tl_msb_(kPowerUpTlMsb),
      tl_lsb_(0),
      celsius_(kDefaultCelsius),
      conversion_kind_(FTSIM_CONV_MILLIS),
      conversion_value_(kDefaultConversionMillis),
      created_(std::chrono::steady_clock::now()) {}

bool Thermometer::Responds(uint8_t address_byte) const {
    return (address_byte & 0xF0) == kAddressBase && ((address_byte >> 1) & 7) == pins_;
}

bool Thermometer::OnAddress(uint8_t address_byte) {
    if ((address_byte & 1) == 0) {
        expect_command_ = true;
    }
    data_index_ = 0;
    return true;
}

bool Thermometer::OnWrite(uint8_t byte) {
    if (expect_command_) {
        expect_command_ = false;
        command_ = byte;
        data_index_ = 0;
        if (byte == kCmdStartConvert) StartConversion();
        if (byte == kCmdStopConvert && continuous_) converting_ = false;
        return true;
    }
    const unsigned index = data_index_++;
    switch (command_) {
    case kCmdAccessConfig:
        if (index == 0) {
            // POL and 1SHOT are writable; THF and TLF can only be cleared.
            const uint8_t writable = kPol | kOneShot;
            const uint8_t flags = static_cast<uint8_t>(config_ & (kThf | kTlf) & byte);
            config_ = static_cast<uint8_t>((config_ & ~(writable | kThf | kTlf)) | (byte & writable) | flags);
        }
        break;
    case kCmdAccessTh:
        if (index == 0) th_msb_ = byte;
        if (index == 1) th_lsb_ = byte & kHalfDegree;
        break;
    case kCmdAccessTl:
        if (index == 0) tl_msb_ = byte;
        if (index == 1) tl_lsb_ = byte & kHalfDegree;
        break;
    default:
        break;
    }
    return true;
}

uint8_t Thermometer::OnRead() {
    const unsigned index = data_index_++;
    Progress(command_ == kCmdAccessConfig && index == 0);
    switch (command_) {
    case kCmdAccessConfig:
        return index == 0 ? config_ : kIdleByte;
    case kCmdReadTemperature:
        return index == 0 ? temp_msb_ : index == 1 ? temp_lsb_ : kIdleByte;
    case kCmdReadCounter:
        return index == 0 ? counter_ : kIdleByte;
    case kCmdReadSlope:
        return index == 0 ? slope_ : kIdleByte;
    case kCmdAccessTh:
        return index == 0 ? th_msb_ : index == 1 ? th_lsb_ : kIdleByte;
    case kCmdAccessTl:
        return index == 0 ? tl_msb_ : index == 1 ? tl_lsb_ : kIdleByte;
    default:
        return kIdleByte;
    }
}

void Thermometer::SetCelsius(double celsius) {
    celsius_ = celsius;
    raw_set_ = false;
}

void Thermometer::SetRaw(uint8_t msb, uint8_t lsb, uint8_t counter, uint8_t slope) {
    raw_set_ = true;
    raw_[0] = msb;
    raw_[1] = lsb;
    raw_[2] = counter;
    raw_[3] = slope;
}

void Thermometer::SetConversion(int kind, long value) {
    conversion_kind_ = kind;
    conversion_value_ = value;
}

int Thermometer::Config() {
    Progress(false);
    return config_;
}

void Thermometer::StartConversion() {
    ++conversions_started_;
    continuous_ = (config_ & kOneShot) == 0;
    if (continuous_ && converting_) return;  // already running
    converting_ = true;
    config_ = static_cast<uint8_t>(config_ & ~kDone);
    conversion_start_ = std::chrono::steady_clock::now();
    configuration_reads_ = 0;
}

void Thermometer::Progress(bool configuration_read) {
    if (!converting_ || never_done_) return;
    switch (conversion_kind_) {
    case FTSIM_CONV_MILLIS: {
        const auto now = std::chrono::steady_clock::now();
        const auto period = std::chrono::milliseconds(conversion_value_);
        if (now - conversion_start_ < period) return;
        conversion_start_ = now;
        break;
    }
    case FTSIM_CONV_READS:
        if (configuration_read) ++configuration_reads_;
        if (configuration_reads_ < conversion_value_) return;
        configuration_reads_ = 0;
        break;
    default:
        return;  // never done
    }
    Complete();
}

void Thermometer::Complete() {
    if (raw_set_) {
        temp_msb_ = raw_[0];
        temp_lsb_ = raw_[1];
        counter_ = raw_[2];
        slope_ = raw_[3];
    } else {
        const double t = std::clamp(SensorCelsius(), kMinCelsius, kMaxCelsius);
        // The 9-bit reading is the temperature to the nearest half degree;
        // counter and slope carry the rest:
        //   t = whole - 0.25 + (slope - counter) / slope
        const double half_degrees = std::floor(2.0 * t + 0.5);
        const int whole = static_cast<int>(std::floor(half_degrees / 2.0));
        const bool half = static_cast<int>(half_degrees) - 2 * whole != 0;
        const double above = t + 0.25 - whole;  // 0 .. 1
        const int counter = kSlope - static_cast<int>(std::lround(above * kSlope));
        temp_msb_ = static_cast<uint8_t>(whole & 0xFF);
        temp_lsb_ = half ? kHalfDegree : 0;
        counter_ = static_cast<uint8_t>(std::clamp(counter, 0, kSlope));
        slope_ = static_cast<uint8_t>(kSlope);
    }
    config_ |= kDone;
    // Threshold flags compare the 9-bit readings as signed half degrees.
    const auto half_degrees = [](uint8_t msb, uint8_t lsb) {
        return static_cast<int8_t>(msb) * 2 + ((lsb & kHalfDegree) != 0 ? 1 : 0);
    };
    const int reading = half_degrees(temp_msb_, temp_lsb_);
    if (reading >= half_degrees(th_msb_, th_lsb_)) config_ |= kThf;
    if (reading <= half_degrees(tl_msb_, tl_lsb_)) config_ |= kTlf;
    if (!continuous_) converting_ = false;
}

double Thermometer::SensorCelsius() {
    if (!drift_) return celsius_;
    // A room's slow wander plus a little sensor noise: a few tenths of a degree.
    constexpr double kTwoPi = 6.283185307179586;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - created_).count();
    noise_state_ ^= noise_state_ << 13;
    noise_state_ ^= noise_state_ >> 17;
    noise_state_ ^= noise_state_ << 5;
    const double noise = (static_cast<double>(noise_state_ % 1001u) / 1000.0 - 0.5) * 0.08;
    return celsius_ + 0.22 * std::sin(kTwoPi * seconds / 47.0) + 0.12 * std::sin(kTwoPi * seconds / 11.0) + noise;
}

}  // namespace ftsim

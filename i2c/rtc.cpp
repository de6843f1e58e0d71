// Clock/calendar chip (PCF8583 style) over the bit-bang link.
//
// The byte after the write address sets the chip's register pointer, which
// then moves on by one after every byte written or read, so one transaction
// fills or reads a run of consecutive registers. Time registers hold BCD.

#include "i2c/rtc.h"

#include <algorithm>
#include <cstddef>

#include "i2c/link.h"

namespace {

// ---- Chip facts ---------------------------------------------------------

constexpr int kDeviceBase = 0xA0;  // write address with the A0 pin low
constexpr int kSelectMask = 0x01;  // the A0 pin: only bit 0 of select counts
constexpr int kReadBit = 0x01;     // direction bit of the device address byte
constexpr int kByteMask = 0xFF;    // register numbers and values are bytes

constexpr int kAck = 0;            // acknowledge bit: the chip pulled SDA low
constexpr int kAckBit = 0;         // I2C_SendAck: acknowledge, the chip sends on
constexpr int kNackBit = 1;        // I2C_SendAck: not acknowledge, last byte

// Register map.
constexpr int kRegControl = 0x00;     // control/status, bits below
constexpr int kRegHundredths = 0x01;  // 1/100 s, BCD
constexpr int kRegSeconds = 0x02;     // BCD 00..59
constexpr int kRegMinutes = 0x03;     // BCD 00..59
constexpr int kRegHours = 0x04;       // bits 5..0 BCD hours, bit 7 12 h mode, bit 6 PM
constexpr int kRegYearDate = 0x05;    // bits 7..6 year, bits 5..0 BCD day of month
constexpr int kRegWeekdayMonth = 0x06;  // bits 7..5 weekday, bits 4..0 BCD month

// Control/status register (0x00):
//
//   bit 7  stop counting: 1 holds the prescaler and the divider in reset
//   bit 6  hold last count: 1 freezes the counters' outputs for reading
//   bit 5-4 function: 00 clock on 32.768 kHz, 01 clock on 50 Hz,
//           10 event counter, 11 test
//   bit 3  mask: 1 reads the date and month registers unmasked
//   bit 2  alarm enable
//   bit 1  alarm flag
//   bit 0  timer flag
//
// Setting the time stops the counting, writes the time, and starts it
// again with every other bit clear: 32.768 kHz clock, no alarm.
constexpr int kControlStop = 0x80;
constexpr int kControlRun = 0x00;

// Bytes written around the time of day when it is set.
constexpr int kHundredthsZero = 0x00;
constexpr int kYearDateFirst = 0x01;  // year 0, day 01

constexpr int kHoursBcdMask = 0x3F;  // 12 h mode and PM flag are not part of the hour
constexpr int kWeekdayShift = 5;     // weekday in bits 7..5

constexpr int kSecondsTop = 59;
constexpr int kMinutesTop = 59;
constexpr int kHoursTop = 23;
constexpr int kWeekdayTop = 6;

// ---- Pure conversions ---------------------------------------------------

// Any int into 0..top; signed comparisons, so every negative value is 0.
constexpr int ClampToRange(int value, int top) { return std::clamp(value, 0, top); }

// 0..99 -> two BCD digits.
constexpr int ToBcd(int value) { return (value / 10) * 16 + value % 10; }

// Two BCD digits -> 0..165 (digits above 9 are taken at face value).
constexpr int FromBcd(int byte) { return (byte >> 4) * 10 + (byte & 0x0F); }

constexpr int HoursFromRegister(int byte) { return FromBcd(byte & kHoursBcdMask); }

constexpr int WeekdayToRegister(int weekday) { return weekday << kWeekdayShift; }
constexpr int WeekdayFromRegister(int byte) { return byte >> kWeekdayShift; }

static_assert(ToBcd(45) == 0x45 && ToBcd(7) == 0x07 && ToBcd(59) == 0x59);
static_assert(FromBcd(0x59) == 59 && HoursFromRegister(0x94) == 14);
static_assert(WeekdayToRegister(kWeekdayTop) == 0xC0 && WeekdayFromRegister(0xC5) == 6);

// ---- Addressing ---------------------------------------------------------

// The only place a chip select becomes bus bytes: 0xA0/0xA1 or 0xA2/0xA3.
constexpr int WriteAddress(int select) { return kDeviceBase + 2 * (select & kSelectMask); }
constexpr int ReadAddress(int select) { return WriteAddress(select) | kReadBit; }

// ---- Bus steps ----------------------------------------------------------

// W(x): one byte out, then the ninth clock as the acknowledge check.
[[nodiscard]] bool WriteAcked(int value) {
    I2C_WriteByte(value);
    return I2C_ReadBit() == kAck;
}

// S W(aw) W(reg) W(first) W(second) ...: a run of registers from reg on.
// The caller ends the transaction with its stop.
template <std::size_t N>
[[nodiscard]] bool WriteRegisters(int select, int reg, const int (&values)[N]) {
    I2C_Start();
    if (!WriteAcked(WriteAddress(select))) return false;
    if (!WriteAcked(reg & kByteMask)) return false;
    for (const int value : values) {
        if (!WriteAcked(value & kByteMask)) return false;
    }
    return true;
}

// S W(aw) W(reg) S W(ar) R A ... R N: a run of registers from reg on, every
// byte but the last acknowledged. The caller ends the transaction with its stop.
template <std::size_t N>
[[nodiscard]] bool ReadRegisters(int select, int reg, int (&values)[N]) {
    I2C_Start();
    if (!WriteAcked(WriteAddress(select))) return false;
    if (!WriteAcked(reg & kByteMask)) return false;
    I2C_Start();
    if (!WriteAcked(ReadAddress(select))) return false;
    for (std::size_t i = 0; i < N; ++i) {
        values[i] = I2C_ReadByte();
        I2C_SendAck(i + 1 < N ? kAckBit : kNackBit);
    }
    return true;
}

// One whole transaction: the stop ends it whether or not every byte was acknowledged.
template <std::size_t N>
[[nodiscard]] int WriteTransaction(int select, int reg, const int (&values)[N]) {
    const bool acked = WriteRegisters(select, reg, values);
    I2C_Stop();
    return acked ? I2C_OK : I2C_NOACK;
}

template <std::size_t N>
[[nodiscard]] int ReadTransaction(int select, int reg, int (&values)[N]) {
    const bool acked = ReadRegisters(select, reg, values);
    I2C_Stop();
    return acked ? I2C_OK : I2C_NOACK;
}

}  // namespace

extern "C" {

int RTC_Start(int select) {
    const int control[] = {kControlRun};
    return WriteTransaction(select, kRegControl, control);
}

int RTC_SetTime(int select, int weekday, int hours, int minutes, int seconds) {
    // Counting stays stopped while the time registers are written, so no
    // carry lands between them. If this transaction fails the clock is left
    // stopped: the restart below is never reached.
    int time[kRegWeekdayMonth + 1] = {};  // indexed by register, sent from 0x00 on
    time[kRegControl] = kControlStop;
    time[kRegHundredths] = kHundredthsZero;
    time[kRegSeconds] = ToBcd(ClampToRange(seconds, kSecondsTop));
    time[kRegMinutes] = ToBcd(ClampToRange(minutes, kMinutesTop));
    time[kRegHours] = ToBcd(ClampToRange(hours, kHoursTop));  // 24 h mode
    time[kRegYearDate] = kYearDateFirst;
    time[kRegWeekdayMonth] = WeekdayToRegister(ClampToRange(weekday, kWeekdayTop));  // month 0
    if (WriteTransaction(select, kRegControl, time) != I2C_OK) return I2C_NOACK;

    const int control[] = {kControlRun};
    return WriteTransaction(select, kRegControl, control);
}

int RTC_GetTime(int select, int *weekday, int *hours, int *minutes, int *seconds) {
    *weekday = 0;
    *hours = 0;
    *minutes = 0;
    *seconds = 0;

    // Seconds through weekday/month; the year/date byte comes along unused.
    int time[kRegWeekdayMonth - kRegSeconds + 1] = {};
    if (ReadTransaction(select, kRegSeconds, time) != I2C_OK) return I2C_NOACK;

    *seconds = FromBcd(time[kRegSeconds - kRegSeconds]);
    *minutes = FromBcd(time[kRegMinutes - kRegSeconds]);
    *hours = HoursFromRegister(time[kRegHours - kRegSeconds]);
    *weekday = WeekdayFromRegister(time[kRegWeekdayMonth - kRegSeconds]);
    return I2C_OK;
}

int RTC_WriteRegister(int select, int reg, int value) {
    const int values[] = {value};
    return WriteTransaction(select, reg, values);
}

int RTC_ReadRegister(int select, int reg, int *value) {
    *value = 0;
    int values[1] = {};
    if (ReadTransaction(select, reg, values) != I2C_OK) return I2C_NOACK;
    *value = values[0];
    return I2C_OK;
}

}  // extern "C"

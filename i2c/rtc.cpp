// Clock/calendar chip (PCF8583 style) over the bit-bang link.
//
// The byte after the write address sets the chip's register pointer, which
// then moves on by one after every byte written or read, so one transaction
// fills or reads a run of consecutive registers. Time registers hold BCD.

#include "i2c/rtc.h"

#include <algorithm>

#include "i2c/bus_steps.h"
#include "i2c/link.h"

namespace {

using bus::Abandon;
using bus::kAck;
using bus::kNack;
using bus::Received;
using bus::Sent;

// ---- Chip facts ---------------------------------------------------------

constexpr int kDeviceBase = 0xA0;  // write address with the A0 pin low
constexpr int kSelectMask = 0x01;  // the A0 pin: only bit 0 of select counts
constexpr int kByteMask = 0xFF;    // register numbers and values are bytes

// Register map.
constexpr int kRegControl = 0x00;     // control/status, bits below
constexpr int kRegHundredths = 0x01;  // 1/100 s, BCD
constexpr int kRegSeconds = 0x02;     // BCD 00..59
constexpr int kRegMinutes = 0x03;     // BCD 00..59
constexpr int kRegHours = 0x04;       // bits 5..0 BCD hours, bit 7 12 h mode, bit 6 PM
constexpr int kRegYearDate = 0x05;    // bits 7..6 year, bits 5..0 BCD day of month
constexpr int kRegWeekdayMonth = 0x06;  // bits 7..5 weekday, bits 4..0 BCD month

// Setting the time writes 0x00..0x06 and reading it reads 0x02..0x06, each
// in one run through the auto-incrementing register pointer.
static_assert(kRegHundredths == kRegControl + 1 && kRegSeconds == kRegHundredths + 1 &&
              kRegMinutes == kRegSeconds + 1 && kRegHours == kRegMinutes + 1 &&
              kRegYearDate == kRegHours + 1 && kRegWeekdayMonth == kRegYearDate + 1);

// Control/status register (0x00):
//
//   bit 7  stop counting: 1 holds the prescaler and the divider in reset
//   bit 6  hold last count: 1 keeps the last count in the capture latches
//   bit 5-4 function: 00 clock on 32.768 kHz, 01 clock on 50 Hz,
//           10 event counter, 11 test
//   bit 3  mask: 1 reads 0x05/0x06 as day and month only (year, weekday masked)
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

// The only place a chip select becomes a bus address: 0xA0 or 0xA2 (reads
// set the direction bit: 0xA1, 0xA3).
constexpr int WriteAddress(int select) { return kDeviceBase + 2 * (select & kSelectMask); }

// ---- Bus steps ----------------------------------------------------------

// S aw reg S ar.
[[nodiscard]] bool Query(int select, int reg) { return bus::Turnaround(WriteAddress(select), reg & kByteMask); }

// S aw reg value P: one register.
int WriteOne(int select, int reg, int value) {
    I2C_Start();
    if (!Sent(WriteAddress(select)) || !Sent(reg & kByteMask) || !Sent(value & kByteMask)) {
        return Abandon();
    }
    I2C_Stop();
    return I2C_OK;
}

}  // namespace

extern "C" int RTC_Start(int select) { return WriteOne(select, kRegControl, kControlRun); }

// Counting stays stopped while the time registers are written, so no carry
// lands between them; a second transaction starts it again. If the first one
// fails after the stop bit went in, the clock is left stopped.
extern "C" int RTC_SetTime(int select, int weekday, int hours, int minutes, int seconds) {
    const int seconds_bcd = ToBcd(ClampToRange(seconds, kSecondsTop));
    const int minutes_bcd = ToBcd(ClampToRange(minutes, kMinutesTop));
    const int hours_bcd = ToBcd(ClampToRange(hours, kHoursTop));  // 24 h mode
    const int weekday_month = WeekdayToRegister(ClampToRange(weekday, kWeekdayTop));  // month 0

    I2C_Start();
    if (!Sent(WriteAddress(select)) || !Sent(kRegControl) ||
        !Sent(kControlStop) ||     // control
        !Sent(kHundredthsZero) ||  // hundredths
        !Sent(seconds_bcd) ||      // seconds
        !Sent(minutes_bcd) ||      // minutes
        !Sent(hours_bcd) ||        // hours
        !Sent(kYearDateFirst) ||   // year and date
        !Sent(weekday_month)) {    // weekday and month
        return Abandon();
    }
    I2C_Stop();

    return WriteOne(select, kRegControl, kControlRun);
}

extern "C" int RTC_GetTime(int select, int *weekday, int *hours, int *minutes, int *seconds) {
    *weekday = 0;
    *hours = 0;
    *minutes = 0;
    *seconds = 0;

    if (!Query(select, kRegSeconds)) {
        return Abandon();
    }
    const int seconds_bcd = Received(kAck);
    const int minutes_bcd = Received(kAck);
    const int hours_reg = Received(kAck);
    static_cast<void>(Received(kAck));  // year and date: not part of the time
    const int weekday_month = Received(kNack);
    I2C_Stop();

    *seconds = FromBcd(seconds_bcd);
    *minutes = FromBcd(minutes_bcd);
    *hours = HoursFromRegister(hours_reg);
    *weekday = WeekdayFromRegister(weekday_month);
    return I2C_OK;
}

extern "C" int RTC_WriteRegister(int select, int reg, int value) { return WriteOne(select, reg, value); }

extern "C" int RTC_ReadRegister(int select, int reg, int *value) {
    *value = 0;
    if (!Query(select, reg)) {
        return Abandon();
    }
    const int byte = Received(kNack);
    I2C_Stop();
    *value = byte;
    return I2C_OK;
}

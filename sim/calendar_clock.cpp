#include "sim/calendar_clock.h"

#include <ctime>

namespace ftsim {

namespace {

constexpr uint8_t kAddressBase = 0xA0;  // 1010 00 A0 R/W

// Register map.
constexpr uint8_t kRegControl = 0x00;
constexpr uint8_t kRegHundredths = 0x01;
constexpr uint8_t kRegSeconds = 0x02;
constexpr uint8_t kRegMinutes = 0x03;
constexpr uint8_t kRegHours = 0x04;
constexpr uint8_t kRegYearDate = 0x05;
constexpr uint8_t kRegWeekdayMonth = 0x06;

constexpr uint8_t kStopCounting = 0x80;   // control
constexpr uint8_t kFunctionMask = 0x30;   // control: 00 = clock mode
constexpr uint8_t kTwelveHour = 0x80;     // hours
constexpr uint8_t kPm = 0x40;             // hours
constexpr uint8_t kHours24Mask = 0x3F;
constexpr uint8_t kHours12Mask = 0x1F;
constexpr uint8_t kDateMask = 0x3F;
constexpr uint8_t kMonthMask = 0x1F;


int FromBcd(unsigned value) { return static_cast<int>((value >> 4) * 10 + (value & 0x0F)); }
uint8_t ToBcd(int value) { return static_cast<uint8_t>((value / 10) << 4 | (value % 10)); }

int DaysInMonth(int month, int year) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;
    return month == 2 && year == 0 ? 29 : kDays[month - 1];
}

}  // namespace

CalendarClock::CalendarClock(int select)
    : address_(static_cast<uint8_t>(kAddressBase + 2 * (select & 1))), last_tick_(std::chrono::steady_clock::now()) {
    registers_[kRegYearDate] = 0x01;       // date 1, year 0
    registers_[kRegWeekdayMonth] = 0x01;   // month 1, weekday 0
}

bool CalendarClock::Responds(uint8_t address_byte) const { return (address_byte & 0xFE) == address_; }

bool CalendarClock::OnAddress(uint8_t address_byte) {
    Tick();
    if ((address_byte & 1) == 0) expect_pointer_ = true;
    return true;
}

bool CalendarClock::OnWrite(uint8_t byte) {
    if (expect_pointer_) {
        expect_pointer_ = false;
        pointer_ = byte;
    } else {
        registers_[pointer_++] = byte;
    }
    return true;
}

uint8_t CalendarClock::OnRead() { return registers_[pointer_++]; }

int CalendarClock::Peek(int reg) {
    Tick();
    return registers_[static_cast<uint8_t>(reg)];
}

void CalendarClock::Poke(int reg, int value) {
    Tick();
    registers_[static_cast<uint8_t>(reg)] = static_cast<uint8_t>(value);
}

void CalendarClock::Freeze(bool frozen) {
    Tick();
    frozen_ = frozen;
    last_tick_ = std::chrono::steady_clock::now();
}

void CalendarClock::Tick() {
    if (frozen_) return;
    using Hundredths = std::chrono::duration<long, std::ratio<1, 100>>;
    const auto now = std::chrono::steady_clock::now();
    const long elapsed = std::chrono::duration_cast<Hundredths>(now - last_tick_).count();
    if (elapsed <= 0) return;
    last_tick_ += std::chrono::duration_cast<std::chrono::steady_clock::duration>(Hundredths(elapsed));
    Advance(elapsed);
}

void CalendarClock::Advance(long hundredths) {
    const uint8_t control = registers_[kRegControl];
    if (hundredths <= 0 || (control & kStopCounting) != 0 || (control & kFunctionMask) != 0) return;

    long carry = FromBcd(registers_[kRegHundredths]) + hundredths;
    registers_[kRegHundredths] = ToBcd(static_cast<int>(carry % 100));
    carry /= 100;
    long seconds = FromBcd(registers_[kRegSeconds]) + carry;
    registers_[kRegSeconds] = ToBcd(static_cast<int>(seconds % 60));
    long minutes = FromBcd(registers_[kRegMinutes]) + seconds / 60;
    registers_[kRegMinutes] = ToBcd(static_cast<int>(minutes % 60));

    const uint8_t hours_reg = registers_[kRegHours];
    long hours = 0;
    if ((hours_reg & kTwelveHour) != 0) {
        const int h12 = FromBcd(hours_reg & kHours12Mask);
        hours = h12 % 12 + ((hours_reg & kPm) != 0 ? 12 : 0);
    } else {
        hours = FromBcd(hours_reg & kHours24Mask);
    }
    hours += minutes / 60;
    long days = hours / 24;
    const int h24 = static_cast<int>(hours % 24);
    if ((hours_reg & kTwelveHour) != 0) {
        const int h12 = h24 % 12 == 0 ? 12 : h24 % 12;
        registers_[kRegHours] = static_cast<uint8_t>(kTwelveHour | (h24 >= 12 ? kPm : 0) | ToBcd(h12));
    } else {
        registers_[kRegHours] = static_cast<uint8_t>((hours_reg & ~kHours24Mask) | ToBcd(h24));
    }

    int date = FromBcd(registers_[kRegYearDate] & kDateMask);
    int year = registers_[kRegYearDate] >> 6;
    int month = FromBcd(registers_[kRegWeekdayMonth] & kMonthMask);
    int weekday = registers_[kRegWeekdayMonth] >> 5;
    for (; days > 0; --days) {
        weekday = (weekday + 1) % 7;
        if (++date > DaysInMonth(month, year)) {
            date = 1;
            if (++month > 12) {
                month = 1;
                year = (year + 1) & 3;
            }
        }
    }
    registers_[kRegYearDate] = static_cast<uint8_t>(year << 6 | ToBcd(date));
    registers_[kRegWeekdayMonth] = static_cast<uint8_t>(weekday << 5 | ToBcd(month));
}

void CalendarClock::SetFromLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    registers_[kRegControl] = 0;
    registers_[kRegHundredths] = 0;
    registers_[kRegSeconds] = ToBcd(local.tm_sec % 60);
    registers_[kRegMinutes] = ToBcd(local.tm_min);
    registers_[kRegHours] = ToBcd(local.tm_hour);
    registers_[kRegYearDate] = static_cast<uint8_t>((local.tm_year % 4) << 6 | ToBcd(local.tm_mday));
    registers_[kRegWeekdayMonth] = static_cast<uint8_t>(local.tm_wday << 5 | ToBcd(local.tm_mon + 1));
    frozen_ = false;
    last_tick_ = std::chrono::steady_clock::now();
}

}  // namespace ftsim

// Clock/calendar driver against the simulated PCF8583-style chip. The model's
// clock is frozen unless a test says otherwise, so what is set reads back.

#include <climits>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "i2c/link.h"
#include "i2c/rtc.h"
#include "sim/ftsim.h"
#include "sim_bus.h"

namespace {

using simbus::ClearObservations;
using simbus::kLinesAtRest;
using simbus::Lines;
using simbus::LogLines;

// Model registers.
constexpr int kControl = 0x00;
constexpr int kHundredths = 0x01;
constexpr int kSeconds = 0x02;
constexpr int kMinutes = 0x03;
constexpr int kHours = 0x04;
constexpr int kYearDate = 0x05;
constexpr int kWeekdayMonth = 0x06;

struct Time {
    int weekday, hours, minutes, seconds;
    bool operator==(const Time &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Time &t) {
    return out << "day " << t.weekday << ' ' << t.hours << ':' << t.minutes << ':' << t.seconds;
}

class RtcTest : public SimBusTest {
protected:
    void SetUp() override {
        SimBusTest::SetUp();
        if (HasFatalFailure()) return;
        clock_ = FTSIM_AddClock(0);
        ASSERT_GE(clock_, 0);
        FTSIM_ClockFreeze(clock_, 1);
    }

    int Register(int reg) const { return FTSIM_ClockPeek(clock_, reg); }

    int clock_ = -1;
};

// ---- Setting the time -------------------------------------------------------

TEST_F(RtcTest, SetTimeStopsWritesAllTimeRegistersThenRestartsInASecondTransaction) {
    FTSIM_ClockPoke(clock_, kControl, 0x00);
    ClearObservations();

    EXPECT_EQ(RTC_SetTime(0, 3, 14, 7, 45), I2C_OK);
    EXPECT_EQ(LogLines(), (Lines{"S A0+ 00+ 80+ 00+ 45+ 07+ 14+ 01+ 60+ P", "S A0+ 00+ 00+ P"}));
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STARTS), 2u) << "two transactions, no repeated start";

    const struct {
        int reg, value;
    } expected[] = {{kControl, 0x00}, {kHundredths, 0x00}, {kSeconds, 0x45}, {kMinutes, 0x07},
                    {kHours, 0x14},   {kYearDate, 0x01},   {kWeekdayMonth, 0x60}};
    for (const auto &e : expected) EXPECT_EQ(Register(e.reg), e.value) << "register " << e.reg;
}

TEST_F(RtcTest, SetTimeClampsEachFieldWithSignedComparisons) {
    const struct {
        Time in;
        int seconds, minutes, hours, weekday;  // register bytes
    } cases[] = {
        {{9, 30, -3, 75}, 0x59, 0x00, 0x23, 0xC0},
        {{-1, -1, 60, -1}, 0x00, 0x59, 0x00, 0x00},
        {{7, 24, 59, 60}, 0x59, 0x59, 0x23, 0xC0},
        {{6, 23, 0, 59}, 0x59, 0x00, 0x23, 0xC0},
        {{INT_MIN, INT_MIN, INT_MIN, INT_MIN}, 0x00, 0x00, 0x00, 0x00},
        {{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, 0x59, 0x59, 0x23, 0xC0},
        {{0, 9, 10, 19}, 0x19, 0x10, 0x09, 0x00},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.in);
        EXPECT_EQ(RTC_SetTime(0, c.in.weekday, c.in.hours, c.in.minutes, c.in.seconds), I2C_OK);
        EXPECT_EQ(Register(kSeconds), c.seconds);
        EXPECT_EQ(Register(kMinutes), c.minutes);
        EXPECT_EQ(Register(kHours), c.hours);
        EXPECT_EQ(Register(kWeekdayMonth), c.weekday);
    }
}

TEST_F(RtcTest, WeekdayTravelsInTheTopThreeBitsBothWays) {
    for (int weekday = 0; weekday <= 6; ++weekday) {
        SCOPED_TRACE(testing::Message() << "weekday " << weekday);
        const int byte = weekday * 0x20;
        EXPECT_EQ(RTC_SetTime(0, weekday, 0, 0, 0), I2C_OK);
        EXPECT_EQ(Register(kWeekdayMonth), byte);

        FTSIM_ClockPoke(clock_, kWeekdayMonth, byte | 0x12);  // month bits do not count
        Time t{-1, -1, -1, -1};
        EXPECT_EQ(RTC_GetTime(0, &t.weekday, &t.hours, &t.minutes, &t.seconds), I2C_OK);
        EXPECT_EQ(t.weekday, weekday);
    }
}

TEST_F(RtcTest, TimeSetReadsBackWhileTheClockStandsStill) {
    const Time times[] = {{3, 14, 7, 45}, {0, 0, 0, 0}, {6, 23, 59, 59}, {1, 12, 30, 5}, {5, 9, 10, 19}};
    for (const Time &set : times) {
        EXPECT_EQ(RTC_SetTime(0, set.weekday, set.hours, set.minutes, set.seconds), I2C_OK);
        Time got{-1, -1, -1, -1};
        EXPECT_EQ(RTC_GetTime(0, &got.weekday, &got.hours, &got.minutes, &got.seconds), I2C_OK);
        EXPECT_EQ(got, set);
    }
}

// ---- Reading the time ---------------------------------------------------

TEST_F(RtcTest, GetTimeDecodesBcdAndIgnoresTheHourModeBits) {
    const struct {
        int seconds, minutes, hours, year_date, weekday_month;  // register bytes
        Time decoded;
    } cases[] = {
        {0x59, 0x07, 0x94, 0x01, 0xC5, {6, 14, 7, 59}},
        {0x00, 0x00, 0x00, 0x00, 0x00, {0, 0, 0, 0}},
        {0x30, 0x59, 0x23, 0xFF, 0x1F, {0, 23, 59, 30}},
        {0x01, 0x10, 0xD2, 0x31, 0xE0, {7, 12, 10, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "expecting " << c.decoded);
        const int bytes[] = {c.seconds, c.minutes, c.hours, c.year_date, c.weekday_month};
        for (int i = 0; i < 5; ++i) FTSIM_ClockPoke(clock_, kSeconds + i, bytes[i]);
        ClearObservations();

        Time t{-1, -1, -1, -1};
        EXPECT_EQ(RTC_GetTime(0, &t.weekday, &t.hours, &t.minutes, &t.seconds), I2C_OK);
        EXPECT_EQ(t, c.decoded);
        char line[64];
        std::snprintf(line, sizeof line, "S A0+ 02+ Sr A1+ %02X+ %02X+ %02X+ %02X+ %02X- P", c.seconds,
                      c.minutes, c.hours, c.year_date, c.weekday_month);
        EXPECT_EQ(LogLines(), Lines{line});
    }
}

// ---- Start and single registers -------------------------------------------

TEST_F(RtcTest, StartClearsTheControlRegister) {
    FTSIM_ClockPoke(clock_, kControl, 0x80);
    ClearObservations();
    EXPECT_EQ(RTC_Start(0), I2C_OK);
    EXPECT_EQ(LogLines(), Lines{"S A0+ 00+ 00+ P"});
    EXPECT_EQ(Register(kControl), 0x00);
}

TEST_F(RtcTest, RegisterAccessSendsTheLowEightBitsOfRegisterAndValue) {
    const struct {
        int reg, value;
        int cell, stored;
        const char *write, *read;
    } cases[] = {
        {0x10, 0xAB, 0x10, 0xAB, "S A0+ 10+ AB+ P", "S A0+ 10+ Sr A1+ AB- P"},
        {0x1FF, 0x1C3, 0xFF, 0xC3, "S A0+ FF+ C3+ P", "S A0+ FF+ Sr A1+ C3- P"},
        {-2, -1, 0xFE, 0xFF, "S A0+ FE+ FF+ P", "S A0+ FE+ Sr A1+ FF- P"},
        {0x02, 0x00, 0x02, 0x00, "S A0+ 02+ 00+ P", "S A0+ 02+ Sr A1+ 00- P"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "register " << c.reg << ", value " << c.value);
        ClearObservations();
        EXPECT_EQ(RTC_WriteRegister(0, c.reg, c.value), I2C_OK);
        EXPECT_EQ(Register(c.cell), c.stored);
        EXPECT_EQ(LogLines(), Lines{c.write});

        ClearObservations();
        int value = -1;
        EXPECT_EQ(RTC_ReadRegister(0, c.reg, &value), I2C_OK);
        EXPECT_EQ(value, c.stored);
        EXPECT_EQ(LogLines(), Lines{c.read});
    }
}

TEST_F(RtcTest, OnlyBitZeroOfTheSelectCounts) {
    const int other = FTSIM_AddClock(1);
    ASSERT_GE(other, 0);
    FTSIM_ClockPoke(clock_, 0x20, 0x11);
    FTSIM_ClockPoke(other, 0x20, 0x22);

    const struct {
        int select;
        int value;
        const char *log;
    } cases[] = {
        {0, 0x11, "S A0+ 20+ Sr A1+ 11- P"}, {1, 0x22, "S A2+ 20+ Sr A3+ 22- P"},
        {2, 0x11, "S A0+ 20+ Sr A1+ 11- P"}, {3, 0x22, "S A2+ 20+ Sr A3+ 22- P"},
        {-1, 0x22, "S A2+ 20+ Sr A3+ 22- P"}, {-2, 0x11, "S A0+ 20+ Sr A1+ 11- P"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "select " << c.select);
        ClearObservations();
        int value = -1;
        EXPECT_EQ(RTC_ReadRegister(c.select, 0x20, &value), I2C_OK);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(LogLines(), Lines{c.log});
    }

    // Select 3 sets the time of the chip at 0xA2 and no other.
    EXPECT_EQ(RTC_SetTime(3, 2, 8, 30, 0), I2C_OK);
    EXPECT_EQ(FTSIM_ClockPeek(other, kHours), 0x08);
    EXPECT_EQ(Register(kHours), 0x00);
    Time t{};
    EXPECT_EQ(RTC_GetTime(3, &t.weekday, &t.hours, &t.minutes, &t.seconds), I2C_OK);
    EXPECT_EQ(t, (Time{2, 8, 30, 0}));
}

// ---- Bytes not acknowledged -----------------------------------------------

// Runs one operation; read operations start with every out-parameter at -1
// and report whether they left all of them at 0.
struct Operation {
    const char *name;
    std::function<int(bool *outs_zero)> run;
};

TEST_F(RtcTest, ByteNotAcknowledgedEndsWithStopNoAckAndZeroedOuts) {
    const Operation start{"RTC_Start", [](bool *) { return RTC_Start(0); }};
    const Operation write{"RTC_WriteRegister", [](bool *) { return RTC_WriteRegister(0, 0x10, 0xAB); }};
    const Operation read{"RTC_ReadRegister", [](bool *zero) {
                             int value = -1;
                             const int status = RTC_ReadRegister(0, 0x10, &value);
                             *zero = value == 0;
                             return status;
                         }};
    const Operation get{"RTC_GetTime", [](bool *zero) {
                            Time t{-1, -1, -1, -1};
                            const int status = RTC_GetTime(0, &t.weekday, &t.hours, &t.minutes, &t.seconds);
                            *zero = t == Time{0, 0, 0, 0};
                            return status;
                        }};
    const Operation set{"RTC_SetTime", [](bool *) { return RTC_SetTime(0, 3, 14, 7, 45); }};

    const struct {
        const Operation &op;
        int position;  // byte of the transaction that is not acknowledged
        const char *log;
    } cases[] = {
        {start, 1, "S A0- P"},
        {start, 2, "S A0+ 00- P"},
        {start, 3, "S A0+ 00+ 00- P"},
        {write, 1, "S A0- P"},
        {write, 2, "S A0+ 10- P"},
        {write, 3, "S A0+ 10+ AB- P"},
        {read, 1, "S A0- P"},
        {read, 2, "S A0+ 10- P"},
        {read, 3, "S A0+ 10+ Sr A1- P"},
        {get, 1, "S A0- P"},
        {get, 2, "S A0+ 02- P"},
        {get, 3, "S A0+ 02+ Sr A1- P"},
        {set, 1, "S A0- P"},
        {set, 2, "S A0+ 00- P"},
        {set, 3, "S A0+ 00+ 80- P"},
        {set, 4, "S A0+ 00+ 80+ 00- P"},
        {set, 5, "S A0+ 00+ 80+ 00+ 45- P"},
        {set, 6, "S A0+ 00+ 80+ 00+ 45+ 07- P"},
        {set, 7, "S A0+ 00+ 80+ 00+ 45+ 07+ 14- P"},
        {set, 8, "S A0+ 00+ 80+ 00+ 45+ 07+ 14+ 01- P"},
        {set, 9, "S A0+ 00+ 80+ 00+ 45+ 07+ 14+ 01+ 60- P"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.op.name << ", byte " << c.position);
        FTSIM_ClearFaults();
        FTSIM_ClockPoke(clock_, kControl, 0x00);
        FTSIM_SetFault(FTSIM_FAULT_NACK_BYTE, c.position);
        ClearObservations();

        bool outs_zero = true;
        EXPECT_EQ(c.op.run(&outs_zero), I2C_NOACK);
        EXPECT_TRUE(outs_zero);
        EXPECT_EQ(LogLines(), Lines{c.log}) << "one transaction, ended by a stop";
        EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 1u);
        EXPECT_EQ(FTSIM_GetLines(), kLinesAtRest);
        if (&c.op == &set && c.position > 3) {
            EXPECT_EQ(Register(kControl), 0x80) << "the clock must stay stopped";
        }
    }
}

TEST_F(RtcTest, ClockLeftStoppedByAFailedSetTimeDoesNotCount) {
    FTSIM_ClockFreeze(clock_, 0);
    FTSIM_ClockPoke(clock_, kControl, 0x00);
    FTSIM_SetFault(FTSIM_FAULT_NACK_BYTE, 9);  // the weekday byte
    EXPECT_EQ(RTC_SetTime(0, 3, 14, 7, 45), I2C_NOACK);

    FTSIM_ClockAdvance(clock_, 500);
    EXPECT_EQ(Register(kControl), 0x80);
    EXPECT_EQ(Register(kSeconds), 0x45);
}

TEST_F(RtcTest, EmptyBusIsNoAck) {
    FTSIM_Reset();  // the chip is gone
    Time t{-1, -1, -1, -1};
    EXPECT_EQ(RTC_GetTime(1, &t.weekday, &t.hours, &t.minutes, &t.seconds), I2C_NOACK);
    EXPECT_EQ(t, (Time{0, 0, 0, 0}));
    EXPECT_EQ(RTC_SetTime(1, 0, 0, 0, 0), I2C_NOACK);
    EXPECT_EQ(LogLines(), (Lines{"S A2- P", "S A2- P"}));
}

}  // namespace

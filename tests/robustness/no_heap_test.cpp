// The core library (link and drivers) never touches the heap.
//
// Method: every allocation in the process goes through the counting
// operator new / malloc below. The simulated adapter is a separate shared
// library and may allocate (its logs grow); so each allocation made while
// counting is attributed by walking its call stack: if any frame lies in the
// simulated adapter's library, the allocation is the simulator's and is
// counted apart. Everything else that allocates during the driver calls is
// core code. Only driver calls run while counting is on: no test macro, no
// string, nothing of the test itself.
//
// malloc and friends are replaced only in a build without a sanitizer, whose
// runtime owns malloc; operator new is replaced in every build.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <execinfo.h>

#include <array>
#include <cstddef>
#include <cstdlib>
#include <new>

#include "driver_operations.h"
#include "i2c/eeprom.h"
#include "i2c/link.h"
#include "i2c/rtc.h"
#include "i2c/temp.h"
#include "sim/ftsim.h"
#include "sim_bus.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define NO_HEAP_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define NO_HEAP_SANITIZED 1
#endif
#endif

namespace {

struct Tally {
    bool on = false;
    const void *sim_base = nullptr;  // load address of the simulated adapter library
    unsigned long core = 0;
    unsigned long sim = 0;
};
Tally g_tally;
thread_local bool t_inside = false;  // an allocation made by the attribution itself

bool FromSimulator() {
    constexpr int kDepth = 64;
    std::array<void *, kDepth> frames{};
    const int depth = backtrace(frames.data(), kDepth);
    for (int i = 0; i < depth; ++i) {
        Dl_info info{};
        if (dladdr(frames[static_cast<std::size_t>(i)], &info) != 0 && info.dli_fbase == g_tally.sim_base) {
            return true;
        }
    }
    return false;
}

void Note() {
    if (!g_tally.on || t_inside) return;
    t_inside = true;
    if (FromSimulator()) {
        ++g_tally.sim;
    } else {
        ++g_tally.core;
    }
    t_inside = false;
}

}  // namespace

#ifndef NO_HEAP_SANITIZED
extern "C" {
void *__libc_malloc(std::size_t);
void *__libc_calloc(std::size_t, std::size_t);
void *__libc_realloc(void *, std::size_t);
void *__libc_memalign(std::size_t, std::size_t);

void *malloc(std::size_t size) {
    Note();
    return __libc_malloc(size);
}
void *calloc(std::size_t count, std::size_t size) {
    Note();
    return __libc_calloc(count, size);
}
void *realloc(void *block, std::size_t size) {
    Note();
    return __libc_realloc(block, size);
}
void *aligned_alloc(std::size_t alignment, std::size_t size) {
    Note();
    return __libc_memalign(alignment, size);
}
}
// Storage for operator new without counting twice.
void *RawAllocate(std::size_t size) { return __libc_malloc(size != 0 ? size : 1); }
#else
void *RawAllocate(std::size_t size) { return std::malloc(size != 0 ? size : 1); }
#endif

void *operator new(std::size_t size) {
    Note();
    if (void *block = RawAllocate(size)) return block;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size) { return operator new(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    Note();
    return RawAllocate(size);
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept { return operator new(size, tag); }
void operator delete(void *block) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }
void operator delete[](void *block, std::size_t) noexcept { std::free(block); }

namespace {

class NoHeap : public SimBusTest {
protected:
    void SetUp() override {
        SimBusTest::SetUp();
        if (HasFatalFailure()) return;
        Dl_info info{};
        ASSERT_NE(dladdr(reinterpret_cast<void *>(&FTSIM_Reset), &info), 0);
        g_tally.sim_base = info.dli_fbase;
        // The first stack walk loads the unwinder; do it before counting.
        std::array<void *, 4> frames{};
        backtrace(frames.data(), 4);

        const int thermometer = FTSIM_AddThermometer(robustness::kThermometerIndex);
        FTSIM_ThermSetConversion(thermometer, FTSIM_CONV_READS, 2);
        FTSIM_ThermSetCelsius(thermometer, 21.5);
        EEP_SetKind(1);
    }

    // Counting on for the driver calls only.
    template <typename Calls>
    void Count(Calls calls) {
        g_tally.core = 0;
        g_tally.sim = 0;
        g_tally.on = true;
        calls();
        g_tally.on = false;
    }
};

TEST_F(NoHeap, AReadingCycleAllocatesNothing) {
    std::array<int, 8> status{};
    int done = 0, temperature = 0, precise = 0, polls = 0;
    Count([&] {
        status[0] = TEMP_Init(0);
        status[1] = TEMP_StartConversion(0);
        do {
            status[2] = TEMP_IsDone(0, &done);
            ++polls;
        } while (status[2] == I2C_OK && done == 0 && polls < 100);
        status[3] = TEMP_Read(0, &temperature);
        status[4] = TEMP_ReadPrecise(0, &precise);
    });
    EXPECT_EQ(g_tally.core, 0u) << "heap allocations by the link or the thermometer driver";
    EXPECT_EQ(status, (std::array<int, 8>{}));
    EXPECT_EQ(done, 1);
    EXPECT_EQ(temperature, 21 * 256 + 128);
    RecordProperty("simulator_allocations", static_cast<int>(g_tally.sim));
}

TEST_F(NoHeap, AnEepromRoundTripAllocatesNothing) {
    const int eeprom = FTSIM_AddEeprom();
    FTSIM_EepromSetWriteCycle(eeprom, FTSIM_WC_POLLS, 3);
    int status_write = -1, status_read = -1, value = -1;
    Count([&] {
        status_write = EEP_WriteByte(0x6B1, 0x3D);
        status_read = EEP_ReadByte(0x6B1, &value);
    });
    EXPECT_EQ(g_tally.core, 0u) << "heap allocations by the link or the EEPROM driver";
    EXPECT_EQ(status_write, I2C_OK);
    EXPECT_EQ(status_read, I2C_OK);
    EXPECT_EQ(value, 0x3D);
}

TEST_F(NoHeap, AClockRoundTripAllocatesNothing) {
    FTSIM_AddClock(0);
    std::array<int, 5> status{};
    int weekday = -1, hours = -1, minutes = -1, seconds = -1, ram = -1;
    Count([&] {
        status[0] = RTC_SetTime(0, 5, 23, 59, 58);
        status[1] = RTC_GetTime(0, &weekday, &hours, &minutes, &seconds);
        status[2] = RTC_WriteRegister(0, 0x20, 0x77);
        status[3] = RTC_ReadRegister(0, 0x20, &ram);
        status[4] = RTC_Start(0);
    });
    EXPECT_EQ(g_tally.core, 0u) << "heap allocations by the link or the clock driver";
    EXPECT_EQ(status, (std::array<int, 5>{}));
    EXPECT_EQ(weekday, 5);
    EXPECT_EQ(hours, 23);
    EXPECT_EQ(minutes, 59);
    EXPECT_EQ(ram, 0x77);
    static_cast<void>(seconds);  // the clock runs after SetTime's restart
}

// The counter itself works: an allocation from this file is core-side.
TEST_F(NoHeap, TheCounterSeesAnAllocation) {
    Count([] {
        int *volatile block = new int(7);  // volatile: the pair may not be elided
        delete block;
    });
    EXPECT_EQ(g_tally.core, 1u);
}

}  // namespace

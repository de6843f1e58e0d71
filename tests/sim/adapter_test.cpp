// The adapter entry points: handles, bit mode, pin read-back, call trace,
// counters and the adapter-level faults.
#include <dlfcn.h>

#include "raw_master.h"

using namespace rawbus;

namespace {

class AdapterTest : public RawBusTest {};

TEST_F(AdapterTest, OnlyAdapterZeroExists) {
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(FT_Open(1, &handle), 2u);  // device not found
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(FT_Open(0, nullptr), 6u);
}

TEST_F(AdapterTest, ForeignHandlesAreRefused) {
    int not_a_handle = 0;
    unsigned char pins = 0;
    uint32_t written = 0;
    uint8_t state = kSda;
    for (FT_HANDLE bad : {static_cast<FT_HANDLE>(nullptr), static_cast<FT_HANDLE>(&not_a_handle)}) {
        EXPECT_EQ(FT_SetBaudRate(bad, 57600), 1u);
        EXPECT_EQ(FT_SetBitMode(bad, kMask, kAsyncBitBang), 1u);
        EXPECT_EQ(FT_Write(bad, &state, 1, &written), 1u);
        EXPECT_EQ(FT_GetBitMode(bad, &pins), 1u);
    }
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_WRITES), 0u);
}

TEST_F(AdapterTest, PinsReadBackOutputsAsWrittenAndInputsFromTheBus) {
    // D3..D7 are inputs with pull-ups; D2 shows the data line.
    Write({kSda});
    EXPECT_EQ(Pins(), 0xFE);
    Write({kSda | kScl});
    EXPECT_EQ(Pins(), 0xFF);
    Write({0});
    EXPECT_EQ(Pins(), 0xF8);
    // Bits written to input pins change nothing.
    Write({0xFC});
    EXPECT_EQ(Pins(), 0xF8);
    EXPECT_EQ(FTSIM_GetLines(), 0x00);
}

TEST_F(AdapterTest, MaskDecidesWhichPinsAreOutputs) {
    // Only D0 an output: the master cannot pull SDA, which stays high.
    ASSERT_EQ(FT_SetBitMode(Adapter(), kScl, kAsyncBitBang), 0u);
    Write({0x00});
    EXPECT_EQ(Pins(), 0xFE);
    EXPECT_EQ(FTSIM_GetLines(), 0x06);
    // D2 made an output and written low pulls the data line down too.
    ASSERT_EQ(FT_SetBitMode(Adapter(), 0x07, kAsyncBitBang), 0u);
    Write({kSda});
    EXPECT_EQ(FTSIM_GetLines(), 0x02);
    ASSERT_EQ(FT_SetBitMode(Adapter(), kMask, kAsyncBitBang), 0u);
    Write({kSda});
    EXPECT_EQ(FTSIM_GetLines(), 0x06);
}

TEST_F(AdapterTest, GetBitModeNeedsBitBangMode) {
    unsigned char pins = 0x5A;
    ASSERT_EQ(FT_SetBitMode(Adapter(), 0, 0), 0u);  // bit-bang off
    EXPECT_NE(FT_GetBitMode(Adapter(), &pins), 0u);
    EXPECT_EQ(pins, 0x5A);
    EXPECT_NE(FT_SetBitMode(Adapter(), kMask, 0x40), 0u) << "only modes 0 and 1 exist here";
    ASSERT_EQ(FT_SetBitMode(Adapter(), kMask, kAsyncBitBang), 0u);
    EXPECT_EQ(FT_GetBitMode(Adapter(), &pins), 0u);
}

TEST_F(AdapterTest, CallTraceAndCounters) {
    Write({0x02, 0x03, 0x01, 0x00});
    (void)Pins();
    uint32_t written = 99;
    ASSERT_EQ(FT_Write(Adapter(), nullptr, 0, &written), 0u);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(Calls(), "W 02 03 01 00\nG F8\nW\n");
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_WRITES), 2u);
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_PIN_STATES), 4u);
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_GETBITMODE), 1u);
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STARTS), 1u);
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 0u);

    // The copy is cut to the buffer and always terminated; the full length is returned.
    char small[6];
    EXPECT_EQ(FTSIM_GetCalls(small, sizeof small), 21u);
    EXPECT_STREQ(small, "W 02 ");

    FTSIM_ClearCalls();
    FTSIM_ClearCounters();
    EXPECT_EQ(Calls(), "");
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_WRITES), 0u);
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STARTS), 0u);
}

TEST_F(AdapterTest, SetupFaults) {
    struct Case {
        int fault;
        uint32_t open, baud, bitmode;
    };
    const Case cases[] = {
        {FTSIM_FAULT_OPEN, 2, 0, 0},
        {FTSIM_FAULT_BAUD, 0, 4, 0},
        {FTSIM_FAULT_BITMODE, 0, 0, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        FTSIM_ClearFaults();
        FTSIM_SetFault(c.fault, 0);
        FT_HANDLE handle = nullptr;
        EXPECT_EQ(FT_Open(0, &handle), c.open);
        EXPECT_EQ(FT_SetBaudRate(Adapter(), 57600), c.baud);
        EXPECT_EQ(FT_SetBitMode(Adapter(), kMask, kAsyncBitBang), c.bitmode);
    }
    FTSIM_ClearFaults();
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_Open(0, &handle), 0u);
    EXPECT_EQ(handle, Adapter());
    ASSERT_EQ(FT_SetBitMode(Adapter(), kMask, kAsyncBitBang), 0u);
}

TEST_F(AdapterTest, D1ReadsBackStuck) {
    FTSIM_SetFault(FTSIM_FAULT_D1_STUCK_LOW, 0);
    Write({kSda});
    EXPECT_EQ(Pins() & kSda, 0);
    FTSIM_SetFault(FTSIM_FAULT_D1_STUCK_HIGH, 0);
    Write({0});
    EXPECT_EQ(Pins() & kSda, kSda);
    FTSIM_ClearFaults();
    EXPECT_EQ(Pins() & kSda, 0);
}

TEST_F(AdapterTest, WriteFailsFromItsNthCallOn) {
    FTSIM_SetFault(FTSIM_FAULT_WRITE_FROM, 3);
    uint8_t states[2] = {kSda, kSda | kScl};  // ends with SCL high
    uint32_t written = 99;
    const uint32_t expected[] = {0, 0, 4, 4, 4};
    for (uint32_t status : expected) {
        written = 99;
        EXPECT_EQ(FT_Write(Adapter(), states, 2, &written), status);
        EXPECT_EQ(written, status == 0 ? 2u : 0u);
    }
    EXPECT_EQ(FTSIM_GetLines(), 0x07) << "the lines stay as the last write that worked left them";
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_PIN_STATES), 4u);
    EXPECT_EQ(Calls(), "W 02 03\nW 02 03\nW ! 02 03\nW ! 02 03\nW ! 02 03\n");
}

TEST_F(AdapterTest, GetBitModeFailsFromItsNthCallOn) {
    FTSIM_SetFault(FTSIM_FAULT_GETBITMODE_FROM, 2);
    unsigned char pins = 0;
    EXPECT_EQ(FT_GetBitMode(Adapter(), &pins), 0u);
    pins = 0x33;
    EXPECT_EQ(FT_GetBitMode(Adapter(), &pins), 4u);
    EXPECT_EQ(pins, 0x33);
    EXPECT_EQ(FT_GetBitMode(Adapter(), &pins), 4u);
    EXPECT_EQ(Calls(), "G FE\nG !\nG !\n");
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_GETBITMODE), 3u);
}

TEST_F(AdapterTest, ResetKeepsTheAdapterOpenInBitBangMode) {
    FTSIM_AddThermometer(0);
    FTSIM_SetFault(FTSIM_FAULT_SDA_HELD_LOW, 0);
    FTSIM_SetLatencyMicros(5000);
    FTSIM_Reset();
    Write({kSda});
    EXPECT_EQ(Pins(), 0xFE);
    Start();
    EXPECT_FALSE(WriteByte(0x90)) << "the bus is empty after a reset";
    Stop();
    EXPECT_EQ(Log(), "S 90- P\n");
}

// The second build of the library lacks FT_GetBitMode and nothing else.
TEST(AdapterLibraries, BuildWithoutGetBitMode) {
    for (const auto &[path, has_get] : {std::pair{FTSIM_LIBRARY, true}, std::pair{FTSIM_LIBRARY_NOGETBITMODE, false}}) {
        SCOPED_TRACE(path);
        void *library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        for (const char *name : {"FT_Open", "FT_SetBitMode", "FT_Write", "FT_SetBaudRate"}) {
            EXPECT_NE(dlsym(library, name), nullptr) << name;
        }
        EXPECT_EQ(dlsym(library, "FT_GetBitMode") != nullptr, has_get);
        EXPECT_EQ(dlsym(library, "_ZN5ftsim3SimEv"), nullptr) << "internal symbols stay hidden";
        dlclose(library);
    }
}

}  // namespace

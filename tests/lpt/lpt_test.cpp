// Register interface against the simulated port and two-latch adapter. Port
// traces are compared whole: every write (address and byte) and every read
// (address) in order.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lpt/lpt.h"
#include "platform/port_io.h"
#include "sim/lpt/lptsim.h"

namespace {

constexpr unsigned short kLpt1 = 0x3BC;
constexpr unsigned short kLpt2 = 0x378;
constexpr unsigned short kLpt3 = 0x278;

// Expected traces are built in the same text form as the recorded one.
// Read values are left out: they carry the model's status noise.
class Trace {
public:
    explicit Trace(unsigned short base = kLpt2) : base_(base) {}

    Trace& Out(int offset, int value)
    {
        char line[32];
        std::snprintf(line, sizeof line, "out 0x%03X 0x%02X\n", base_ + offset, value);
        text_ += line;
        return *this;
    }
    Trace& In(int offset)
    {
        char line[32];
        std::snprintf(line, sizeof line, "in  0x%03X\n", base_ + offset);
        text_ += line;
        return *this;
    }
    Trace& LoadControl(int v) { return Out(0, v).Out(2, 0x01).Out(2, 0x00); }
    Trace& LoadData(int v) { return Out(0, v).Out(2, 0x02).Out(2, 0x00); }
    Trace& ReadByte() { return Out(2, 0x00).In(1).Out(2, 0x08).In(1); }

    const std::string& str() const { return text_; }

private:
    unsigned short base_;
    std::string text_;
};

std::string Recorded()
{
    std::string text;
    LPTSIM_Access a{};
    for (size_t i = 0; LPTSIM_TraceAt(i, &a) == 0; ++i) {
        char line[32];
        if (a.input) {
            std::snprintf(line, sizeof line, "in  0x%03X\n", a.address);
        } else {
            std::snprintf(line, sizeof line, "out 0x%03X 0x%02X\n", a.address, a.value);
        }
        text += line;
    }
    return text;
}

// Bytes clocked into the control latch, read from the trace: the data byte on
// the lines when control bit 0 rises.
std::vector<int> ControlLatchLoads()
{
    std::vector<int> loads;
    int data = 0;
    int control = 0;
    LPTSIM_Access a{};
    for (size_t i = 0; LPTSIM_TraceAt(i, &a) == 0; ++i) {
        if (a.input) {
            continue;
        }
        if ((a.address & 3) == 0) {
            data = a.value;
        } else if ((a.address & 3) == 2) {
            if ((a.value & 0x01) && !(control & 0x01)) {
                loads.push_back(data);
            }
            control = a.value;
        }
    }
    return loads;
}

class LptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LPTSIM_Reset();
        LPT_SelectPort(2);
    }
};

// ---- Port table --------------------------------------------------------------

TEST_F(LptTest, PortTableSetsBaseAndResult)
{
    struct Case {
        std::vector<int> ports; // selected in order
        unsigned short base;    // base in force afterwards
        int result;             // of the last selection
    };
    const Case cases[] = {
        {{1}, kLpt1, 0},      {{2}, kLpt2, 0},       {{3}, kLpt3, 0},          {{0}, kLpt2, 1},
        {{4}, kLpt2, 1},      {{-1}, kLpt2, 1},      {{3, 9}, kLpt2, 1},       {{1, 0}, kLpt2, 1},
        {{3, 1}, kLpt1, 0},   {{1, 3}, kLpt3, 0},    {{3, -2147483647 - 1}, kLpt2, 1},
    };
    for (const Case& c : cases) {
        LPTSIM_Reset();
        LPT_SelectPort(2);
        int result = -1;
        for (int port : c.ports) {
            result = LPT_SelectPort(port);
        }
        EXPECT_EQ(LPTSIM_TraceLength(), 0u) << "selecting a port touches no port register";
        LPT_LoadData(0x33);
        EXPECT_EQ(result, c.result) << "last port " << c.ports.back();
        EXPECT_EQ(Recorded(), Trace(c.base).LoadData(0x33).str()) << "last port " << c.ports.back();
    }
}

// ---- Whole register operations -----------------------------------------------

TEST_F(LptTest, ReadRegisterTrace)
{
    LPTSIM_SetRegister(2, 0x3C);
    EXPECT_EQ(LPT_ReadRegister(2), 0x3C);
    const std::string expected = Trace()
                                     .Out(0, 0xE2).Out(2, 0x01).Out(2, 0x00)  // control latch: rest
                                     .Out(0, 0xA2).Out(2, 0x01).Out(2, 0x00)  // nREAD low
                                     .Out(2, 0x00).In(1).Out(2, 0x08).In(1)   // low, high nibble
                                     .Out(0, 0xE2).Out(2, 0x01).Out(2, 0x00)  // rest
                                     .str();
    EXPECT_EQ(Recorded(), expected);
    EXPECT_EQ(LPTSIM_DataLines(), 0xE2);
    EXPECT_EQ(LPTSIM_ControlRegister(), 0x00);
    EXPECT_EQ(LPTSIM_ControlLatch(), 0xE2);
}

TEST_F(LptTest, WriteRegisterTraceMasksRegisterAndValue)
{
    struct Case {
        int reg, value;
        int stored_reg, stored;
        int rest, write;
    };
    const Case cases[] = {
        {33, 0x5A, 1, 0x5A, 0xE1, 0x61},
        {31, 0x1A5, 31, 0xA5, 0xFF, 0x7F},
        {0, -1, 0, 0xFF, 0xE0, 0x60},
    };
    for (const Case& c : cases) {
        LPTSIM_Reset();
        LPT_WriteRegister(c.reg, c.value);
        const std::string expected =
            Trace().LoadData(c.stored).LoadControl(c.rest).LoadControl(c.write).LoadControl(c.rest).str();
        EXPECT_EQ(Recorded(), expected) << "register " << c.reg;
        EXPECT_EQ(LPTSIM_GetRegister(c.stored_reg), c.stored) << "register " << c.reg;
        EXPECT_EQ(LPTSIM_RegisterStores(), 1) << "one write pulse, register " << c.reg;
        EXPECT_EQ(LPTSIM_DataLines(), c.rest);
        EXPECT_EQ(LPTSIM_ControlRegister(), 0x00);
    }
}

TEST_F(LptTest, AllRegistersRoundTripAtEveryBase)
{
    const unsigned short bases[] = {kLpt1, kLpt2, kLpt3};
    for (int port = 1; port <= 3; ++port) {
        LPTSIM_Reset();
        LPTSIM_SetBase(bases[port - 1]);
        ASSERT_EQ(LPT_SelectPort(port), 0);
        // Distinct values, every bit toggled across the set, so a wrong
        // register number or a lost nibble shows.
        auto pattern = [port](int r) { return (r * 0x4B + 0x11 * port) & 0xFF; };
        for (int r = 0; r < 32; ++r) {
            LPT_WriteRegister(r, pattern(r));
        }
        for (int r = 0; r < 32; ++r) {
            EXPECT_EQ(LPTSIM_GetRegister(r), pattern(r)) << "port " << port << " register " << r;
            EXPECT_EQ(LPT_ReadRegister(r), pattern(r)) << "port " << port << " register " << r;
        }
        EXPECT_EQ(LPTSIM_RegisterStores(), 32);
    }
}

TEST_F(LptTest, EveryByteValueRoundTrips)
{
    for (int v = 0; v < 256; ++v) {
        LPT_WriteRegister(v & 31, v);
        ASSERT_EQ(LPT_ReadRegister(v & 31), v);
    }
}

// ---- Byte read-back ----------------------------------------------------------

TEST_F(LptTest, ReadByteUsesStatusBits7To4WithBit7Inverted)
{
    struct Case {
        unsigned char first, second;
        int value;
    };
    const Case cases[] = {
        {0x80, 0x80, 0x00},
        {0x00, 0x00, 0x88},
        {0x70, 0xF0, 0x7F},
        {0x8F, 0x8F, 0x00}, // bits 3..0 do not count
        {0x07, 0x78, 0xF8},
    };
    for (const Case& c : cases) {
        LPTSIM_Reset();
        const unsigned char script[] = {c.first, c.second};
        LPTSIM_ScriptStatus(script, 2);
        EXPECT_EQ(LPT_ReadByte(), c.value) << std::hex << "status " << int(c.first) << ", " << int(c.second);
        EXPECT_EQ(Recorded(), Trace().ReadByte().str());
        EXPECT_EQ(LPTSIM_ControlRegister(), 0x08) << "left selecting the high nibble";
    }
}

// ---- Self-test ---------------------------------------------------------------

std::string SelfTestTrace()
{
    Trace t;
    t.LoadControl(0xE0).LoadControl(0xC0);
    for (int v = 0; v < 256; ++v) {
        t.LoadData(v).ReadByte();
    }
    t.LoadControl(0xE0);
    return t.str();
}

TEST_F(LptTest, SelfTestPassesOnHealthyAdapter)
{
    EXPECT_EQ(LPT_SelfTest(), 0);
    EXPECT_EQ(Recorded(), SelfTestTrace());
    EXPECT_EQ(LPTSIM_TraceLength(), 3u * 3 + 256u * 7);
    EXPECT_EQ(LPTSIM_DataLines(), 0xE0);
    EXPECT_EQ(LPTSIM_ControlRegister(), 0x00);
    EXPECT_EQ(LPTSIM_ControlLatch(), 0xE0);
    EXPECT_EQ(LPTSIM_RegisterStores(), 0) << "the loop-back never writes a register";
}

TEST_F(LptTest, SelfTestFailsOnOneBadValueButTriesAll)
{
    struct Case {
        int value, shown;
    };
    const Case cases[] = {{0x80, 0x00}, {0x00, 0x10}, {0xFF, 0xFE}, {0x5A, 0x5B}};
    for (const Case& c : cases) {
        LPTSIM_Reset();
        LPTSIM_BreakReadBack(c.value, c.shown);
        EXPECT_EQ(LPT_SelfTest(), 1) << std::hex << "value " << c.value;
        EXPECT_EQ(Recorded(), SelfTestTrace()) << std::hex << "value " << c.value;
    }
}

TEST_F(LptTest, SelfTestFailsWithNothingAttached)
{
    LPTSIM_SetBase(kLpt3); // adapter elsewhere: the status port reads 0xFF
    EXPECT_EQ(LPT_SelfTest(), 1);
    EXPECT_EQ(Recorded(), SelfTestTrace());
}

// ---- Control latch discipline ------------------------------------------------

TEST_F(LptTest, NoLoadAssertsMoreThanOneLine)
{
    LPT_WriteRegister(5, 0x12);
    LPT_ReadRegister(9);
    LPT_SelfTest();
    const std::vector<int> loads = ControlLatchLoads();
    ASSERT_EQ(loads.size(), 3u + 3u + 3u);
    for (int byte : loads) {
        const int asserted = ~byte & 0xE0;
        EXPECT_TRUE(asserted == 0 || asserted == 0x20 || asserted == 0x40 || asserted == 0x80)
            << std::hex << "control latch 0x" << byte;
    }
}

// ---- Model behaviour the interface relies on ---------------------------------

TEST_F(LptTest, LatchesClockOnRisingEdgeOnly)
{
    PORT_Out(kLpt2, 0x11);
    PORT_Out(kLpt2 + 2, 0x02); // rising: data latch takes 0x11
    PORT_Out(kLpt2, 0x22);     // moves while the strobe is high
    PORT_Out(kLpt2 + 2, 0x02); // still high: no edge
    EXPECT_EQ(LPTSIM_DataLatch(), 0x11);
    PORT_Out(kLpt2 + 2, 0x00);
    EXPECT_EQ(LPTSIM_DataLatch(), 0x11) << "falling edge loads nothing";
    EXPECT_EQ(LPTSIM_ControlLatch(), 0xE0) << "control latch not clocked";
}

TEST_F(LptTest, LoopbackTakesPrecedenceOverRead)
{
    LPTSIM_SetRegister(3, 0x5C);
    LPT_LoadData(0xA7);
    LPT_LoadControl(0x83); // nREAD and nLOOPBACK both low
    EXPECT_EQ(LPT_ReadByte(), 0xA7);
    LPT_LoadControl(0xA3); // nREAD only
    EXPECT_EQ(LPT_ReadByte(), 0x5C);
    LPT_LoadControl(0xE3); // nothing drives the read-back path
    EXPECT_EQ(LPT_ReadByte(), 0xFF);
}

// ---- Port access refused -----------------------------------------------------

TEST_F(LptTest, AcquireReportsRefusalThroughTheSeam)
{
    const int refusals[] = {PORT_DENIED, PORT_UNAVAILABLE};
    for (int status : refusals) {
        LPTSIM_SetAcquireResult(status);
        EXPECT_EQ(PORT_Acquire(kLpt1), status);
        EXPECT_STRNE(PORT_FailureText(), "");
    }
    EXPECT_EQ(LPTSIM_LastAcquireBase(), kLpt1);
    EXPECT_EQ(LPTSIM_TraceLength(), 0u) << "acquiring makes no port access";
    LPTSIM_SetAcquireResult(PORT_OK);
    EXPECT_EQ(PORT_Acquire(kLpt2), PORT_OK);
    EXPECT_STREQ(PORT_FailureText(), "");
}

} // namespace

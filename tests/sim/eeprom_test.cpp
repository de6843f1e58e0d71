// The 24C16-style EEPROM model: addressing, page writes, reads and the
// internal write cycle.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "chip_helpers.h"

using namespace rawbus;

namespace {

class EepromTest : public RawBusTest {
protected:
    void SetUp() override {
        RawBusTest::SetUp();
        chip_ = FTSIM_AddEeprom();
        FTSIM_EepromSetWriteCycle(chip_, FTSIM_WC_POLLS, 1);
    }
    // Acknowledge polling as a master does it: S addr until acknowledged, then P.
    int PollsUntilReady(int limit) {
        for (int polls = 1; polls <= limit; ++polls) {
            Start();
            if (WriteByte(0xA0)) {
                Stop();
                return polls;
            }
        }
        Stop();
        return -1;
    }
    int chip_ = -1;
};

TEST_F(EepromTest, ErasedAndAnsweringAllEightBlocks) {
    for (uint8_t address = 0xA0; address <= 0xAE; address += 2) EXPECT_TRUE(WriteTransaction(address, {})) << int(address);
    EXPECT_EQ(ReadAfter(0xAE, {0xFF}, 1)[0], 0xFF);
    EXPECT_EQ(FTSIM_AddClock(1), -1) << "the clock would share the EEPROM's addresses";
}

TEST_F(EepromTest, ByteWriteLandsAtBlockAndWordAddress) {
    struct Case {
        uint8_t device, word;
        int cell;
    };
    const Case cases[] = {{0xA0, 0x00, 0x000}, {0xA2, 0x23, 0x123}, {0xAE, 0xFF, 0x7FF}, {0xA8, 0x80, 0x480}};
    uint8_t value = 0x11;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cell);
        ASSERT_TRUE(WriteTransaction(c.device, {c.word, value}));
        EXPECT_EQ(PollsUntilReady(1), 1);
        EXPECT_EQ(FTSIM_EepromPeek(chip_, c.cell), value);
        EXPECT_EQ(ReadAfter(c.device, {c.word}, 1)[0], value);
        value = static_cast<uint8_t>(value + 0x22);
    }
}

TEST_F(EepromTest, PageWriteWrapsInsideItsPage) {
    // 18 bytes from 0x10E: 0x10E, 0x10F, then 0x100.. wrapping; the first two are overwritten.
    Start();
    WriteByte(0xA2);
    WriteByte(0x0E);
    for (int i = 0; i < 18; ++i) EXPECT_TRUE(WriteByte(static_cast<uint8_t>(i)));
    Stop();
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x10E), 16);
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x10F), 17);
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x100), 2);
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x10D), 15);
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x110), 0xFF) << "the next page is untouched";
}

TEST_F(EepromTest, WriteIsProgrammedOnlyAtTheStop) {
    Start();
    WriteByte(0xA0);
    WriteByte(0x05);
    WriteByte(0x42);
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x005), 0xFF);
    Start();  // a repeated start abandons the write
    WriteByte(0xA1);
    Stop();
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x005), 0xFF);
    EXPECT_TRUE(WriteTransaction(0xA0, {})) << "no write cycle was started";
}

TEST_F(EepromTest, CurrentAddressAndSequentialReads) {
    for (int i = 0; i < 4; ++i) FTSIM_EepromPoke(chip_, 0x7FE + i < 0x800 ? 0x7FE + i : i - 2, 0x30 + i);
    EXPECT_EQ(ReadAfter(0xAE, {0xFE}, 4), (std::vector<uint8_t>{0x30, 0x31, 0x32, 0x33})) << "rolls over to 0";
    // Current-address read continues from the internal counter.
    Start();
    WriteByte(0xA1);
    EXPECT_EQ(ReadByte(false), FTSIM_EepromPeek(chip_, 2));
    Stop();
    // A dummy write sets the counter without programming anything.
    EXPECT_TRUE(WriteTransaction(0xA6, {0x40}));
    EXPECT_TRUE(WriteTransaction(0xA0, {})) << "a dummy write starts no write cycle";
    FTSIM_EepromPoke(chip_, 0x340, 0x77);
    Start();
    WriteByte(0xA1);
    EXPECT_EQ(ReadByte(false), 0x77);
    Stop();
}

TEST_F(EepromTest, WriteCycleRefusesEveryAddressUntilItEnds) {
    struct Case {
        int kind;
        long value;
        int polls;  // poll that is acknowledged; -1 none within 10
    };
    const Case cases[] = {{FTSIM_WC_POLLS, 1, 1}, {FTSIM_WC_POLLS, 3, 3}, {FTSIM_WC_NEVER, 0, -1}, {FTSIM_WC_MICROS, 60000000, -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind * 100 + c.value);
        FTSIM_EepromSetWriteCycle(chip_, c.kind, c.value);
        ASSERT_TRUE(WriteTransaction(0xA0, {0x00, 0x01}));
        EXPECT_EQ(PollsUntilReady(10), c.polls);
        FTSIM_EepromSetWriteCycle(chip_, FTSIM_WC_POLLS, 1);
        (void)PollsUntilReady(1);
    }
}

TEST_F(EepromTest, BusyForeverFault) {
    FTSIM_SetFault(FTSIM_FAULT_EEPROM_BUSY_FOREVER, 0);
    EXPECT_TRUE(WriteTransaction(0xA0, {})) << "busy only once a write has started";
    ASSERT_TRUE(WriteTransaction(0xA0, {0x00, 0x01}));
    EXPECT_EQ(PollsUntilReady(50), -1);
    FTSIM_ClearFaults();
    EXPECT_EQ(PollsUntilReady(1), 1);
}

TEST_F(EepromTest, LoadAndSaveAFile) {
    const auto path = std::filesystem::temp_directory_path() / ("ftsim_eeprom_" + std::to_string(::getpid()) + ".bin");
    {
        std::ofstream out(path, std::ios::binary);
        out << "AB";
    }
    ASSERT_EQ(FTSIM_EepromLoad(chip_, path.string().c_str()), 0);
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0), 'A');
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 2), 0xFF) << "a short image leaves the rest erased";
    FTSIM_EepromPoke(chip_, 0x7FF, 0x5A);
    ASSERT_EQ(FTSIM_EepromSave(chip_, path.string().c_str()), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 2048u);
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << 'X';
    }
    EXPECT_EQ(FTSIM_EepromLoad(chip_, path.string().c_str()), -1) << "an image larger than the chip";
    EXPECT_EQ(FTSIM_EepromLoad(chip_, "/nonexistent/eeprom.bin"), -1);
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 0x7FF), 0x5A);
    std::filesystem::remove(path);
    EXPECT_EQ(FTSIM_EepromPeek(chip_, 2048), -1);
}

}  // namespace

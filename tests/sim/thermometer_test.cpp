// The DS1621-style thermometer model against its datasheet behaviour.
#include <cmath>

#include "chip_helpers.h"

using namespace rawbus;

namespace {

constexpr uint8_t kAddr = 0x90;

class ThermometerTest : public RawBusTest {
protected:
    void SetUp() override {
        RawBusTest::SetUp();
        chip_ = FTSIM_AddThermometer(0);
        FTSIM_ThermSetConversion(chip_, FTSIM_CONV_READS, 1);
    }
    int Config() { return ReadAfter(kAddr, {0xAC}, 1)[0]; }
    void Convert() {
        ASSERT_TRUE(WriteTransaction(kAddr, {0xAC, 0x01}));
        ASSERT_TRUE(WriteTransaction(kAddr, {0xEE}));
        ASSERT_NE(Config() & 0x80, 0);
    }
    int chip_ = -1;
};

TEST_F(ThermometerTest, AnswersOnlyItsAddressPins) {
    FTSIM_Reset();
    FTSIM_AddThermometer(5);
    EXPECT_EQ(FTSIM_AddThermometer(13), -1) << "pins 13 & 7 = 5: the address is taken";
    EXPECT_FALSE(WriteTransaction(0x90, {}));
    EXPECT_TRUE(WriteTransaction(0x9A, {}));
    EXPECT_EQ(Log(), "S 90- P\nS 9A+ P\n");
}

TEST_F(ThermometerTest, RegistersBeforeAnyConversion) {
    EXPECT_EQ(ReadAfter(kAddr, {0xAA}, 2), (std::vector<uint8_t>{0xC4, 0x00})) << "-60 C until a conversion";
    EXPECT_EQ(Config(), 0x80);
}

TEST_F(ThermometerTest, ConversionLatchesTemperatureCounterAndSlope) {
    struct Case {
        double celsius;
        uint8_t msb, lsb;
    };
    const Case cases[] = {
        {25.5, 0x19, 0x80}, {25.0, 0x19, 0x00}, {25.74, 0x19, 0x80}, {25.76, 0x1A, 0x00},
        {0.0, 0x00, 0x00},  {-0.5, 0xFF, 0x80}, {-0.3, 0xFF, 0x80},  {-25.0, 0xE7, 0x00},
        {125.0, 0x7D, 0x00}, {-55.0, 0xC9, 0x00}, {200.0, 0x7D, 0x00},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.celsius);
        FTSIM_ThermSetCelsius(chip_, c.celsius);
        Convert();
        EXPECT_EQ(ReadAfter(kAddr, {0xAA}, 2), (std::vector<uint8_t>{c.msb, c.lsb}));
        const int counter = ReadAfter(kAddr, {0xA8}, 1)[0];
        const int slope = ReadAfter(kAddr, {0xA9}, 1)[0];
        ASSERT_GT(slope, 0);
        EXPECT_LE(counter, slope);
        // The chip's high-resolution formula gives the temperature back.
        const double precise = static_cast<int8_t>(c.msb) - 0.25 + static_cast<double>(slope - counter) / slope;
        EXPECT_NEAR(precise, std::fmin(c.celsius, 125.0), 0.5 / slope + 1e-9);
    }
}

TEST_F(ThermometerTest, RawBytesAreLatchedByTheNextConversion) {
    struct Case {
        int msb, lsb, counter, slope;
    };
    const Case cases[] = {{0x19, 0x80, 40, 100}, {0x00, 0x00, 0, 0}, {0xE7, 0x00, 150, 100}, {0xFF, 0x80, 0x10, 0x10}};
    for (const Case &c : cases) {
        FTSIM_ThermSetRaw(chip_, c.msb, c.lsb, c.counter, c.slope);
        Convert();
        EXPECT_EQ(ReadAfter(kAddr, {0xAA}, 2), (std::vector<uint8_t>{uint8_t(c.msb), uint8_t(c.lsb)}));
        EXPECT_EQ(ReadAfter(kAddr, {0xA8}, 1)[0], c.counter);
        EXPECT_EQ(ReadAfter(kAddr, {0xA9}, 1)[0], c.slope);
    }
}

TEST_F(ThermometerTest, OneShotConversionSetsDoneAfterItsTime) {
    FTSIM_ThermSetConversion(chip_, FTSIM_CONV_READS, 3);
    FTSIM_ThermSetCelsius(chip_, 30.0);
    ASSERT_TRUE(WriteTransaction(kAddr, {0xAC, 0x01}));
    ASSERT_TRUE(WriteTransaction(kAddr, {0xEE}));
    EXPECT_EQ(Config(), 0x01);
    EXPECT_EQ(Config(), 0x01);
    EXPECT_EQ(Config(), 0x81) << "done on the third configuration read";
    EXPECT_EQ(Config(), 0x81);
    EXPECT_EQ(ReadAfter(kAddr, {0xAA}, 1)[0], 30);
    EXPECT_EQ(FTSIM_ThermConversions(chip_), 1);
    // One shot: the next reading needs a new Start Convert.
    FTSIM_ThermSetCelsius(chip_, 31.0);
    for (int i = 0; i < 4; ++i) (void)Config();
    EXPECT_EQ(ReadAfter(kAddr, {0xAA}, 1)[0], 30);
}

TEST_F(ThermometerTest, ContinuousModeKeepsConvertingUntilStopped) {
    FTSIM_ThermSetConversion(chip_, FTSIM_CONV_READS, 1);
    FTSIM_ThermSetCelsius(chip_, 20.0);
    ASSERT_TRUE(WriteTransaction(kAddr, {0xAC, 0x00}));
    ASSERT_TRUE(WriteTransaction(kAddr, {0xEE}));
    EXPECT_EQ(Config(), 0x80);
    FTSIM_ThermSetCelsius(chip_, 22.0);
    (void)Config();
    EXPECT_EQ(ReadAfter(kAddr, {0xAA}, 1)[0], 22);
    ASSERT_TRUE(WriteTransaction(kAddr, {0x22}));
    FTSIM_ThermSetCelsius(chip_, 24.0);
    (void)Config();
    EXPECT_EQ(ReadAfter(kAddr, {0xAA}, 1)[0], 22);
}

TEST_F(ThermometerTest, ConversionThatNeverEnds) {
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant == 0 ? "configured never" : "fault");
        FTSIM_ClearFaults();
        FTSIM_ThermSetConversion(chip_, variant == 0 ? FTSIM_CONV_NEVER : FTSIM_CONV_READS, 1);
        if (variant == 1) FTSIM_SetFault(FTSIM_FAULT_THERM_NEVER_DONE, 0);
        ASSERT_TRUE(WriteTransaction(kAddr, {0xAC, 0x01}));
        ASSERT_TRUE(WriteTransaction(kAddr, {0xEE}));
        for (int i = 0; i < 20; ++i) ASSERT_EQ(Config() & 0x80, 0);
    }
}

TEST_F(ThermometerTest, ConfigurationWriteKeepsReadOnlyBits) {
    struct Case {
        int before, written, after;
    };
    const Case cases[] = {
        {0x80, 0x01, 0x81},  // 1SHOT set
        {0x81, 0x02, 0x82},  // POL set, 1SHOT cleared
        {0x80, 0xFC, 0x80},  // DONE, flags and NVB are not set by a write
        {0xE1, 0x01, 0x81},  // writing 0 clears THF and TLF
        {0xE1, 0x61, 0xE1},  // writing 1 leaves them
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.written);
        FTSIM_ThermSetConfig(chip_, c.before);
        ASSERT_TRUE(WriteTransaction(kAddr, {0xAC, uint8_t(c.written)}));
        EXPECT_EQ(FTSIM_ThermGetConfig(chip_), c.after);
    }
}

TEST_F(ThermometerTest, ThresholdsAndTheirFlags) {
    ASSERT_TRUE(WriteTransaction(kAddr, {0xA1, 0x1E, 0x80}));  // TH 30.5
    ASSERT_TRUE(WriteTransaction(kAddr, {0xA2, 0xFB, 0x00}));  // TL -5
    EXPECT_EQ(ReadAfter(kAddr, {0xA1}, 2), (std::vector<uint8_t>{0x1E, 0x80}));
    EXPECT_EQ(ReadAfter(kAddr, {0xA2}, 2), (std::vector<uint8_t>{0xFB, 0x00}));
    FTSIM_ThermSetCelsius(chip_, 30.5);
    Convert();
    EXPECT_EQ(Config() & 0x60, 0x40);
    FTSIM_ThermSetCelsius(chip_, -5.0);
    ASSERT_TRUE(WriteTransaction(kAddr, {0xEE}));
    EXPECT_EQ(Config() & 0x60, 0x60) << "flags stay set until written 0";
}

TEST_F(ThermometerTest, ReadWithoutCommandRepeatsTheLastOne) {
    FTSIM_ThermSetCelsius(chip_, 19.0);
    Convert();
    (void)ReadAfter(kAddr, {0xAA}, 1);
    Start();
    WriteByte(0x91);
    EXPECT_EQ(ReadByte(true), 19);
    EXPECT_EQ(ReadByte(true), 0x00);
    EXPECT_EQ(ReadByte(false), 0xFF) << "nothing past the register";
    Stop();
}

TEST_F(ThermometerTest, MillisecondConversionTime) {
    FTSIM_ThermSetConversion(chip_, FTSIM_CONV_MILLIS, 0);
    ASSERT_TRUE(WriteTransaction(kAddr, {0xAC, 0x01}));
    ASSERT_TRUE(WriteTransaction(kAddr, {0xEE}));
    EXPECT_EQ(Config(), 0x81);
    FTSIM_ThermSetConversion(chip_, FTSIM_CONV_MILLIS, 60000);
    ASSERT_TRUE(WriteTransaction(kAddr, {0xEE}));
    EXPECT_EQ(Config(), 0x01);
}

TEST_F(ThermometerTest, DriftWandersAFewTenths) {
    FTSIM_ThermSetCelsius(chip_, 21.0);
    FTSIM_ThermSetDrift(chip_, 1);
    for (int i = 0; i < 20; ++i) {
        Convert();
        const auto t = ReadAfter(kAddr, {0xAA}, 1)[0];
        EXPECT_GE(t, 20);
        EXPECT_LE(t, 21);
    }
}

}  // namespace

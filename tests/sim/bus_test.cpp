// The pin-level bus machine: conditions, acknowledges, the transaction log,
// protocol violations and the bus-level faults.
#include "raw_master.h"

using namespace rawbus;

namespace {

class BusTest : public RawBusTest {
protected:
    void SetUp() override {
        RawBusTest::SetUp();
        therm_ = FTSIM_AddThermometer(0);
        FTSIM_ThermSetConversion(therm_, FTSIM_CONV_READS, 1);
        eeprom_ = FTSIM_AddEeprom();
        FTSIM_EepromSetWriteCycle(eeprom_, FTSIM_WC_POLLS, 1);
    }
    int therm_ = -1;
    int eeprom_ = -1;
};

TEST_F(BusTest, AddressWithNoDeviceIsNotAcknowledged) {
    Start();
    EXPECT_FALSE(WriteByte(0x92));  // a thermometer with other address pins
    Stop();
    Start();
    EXPECT_FALSE(WriteByte(0x40));
    EXPECT_FALSE(WriteByte(0x12)) << "bytes after an unanswered address go to no one";
    Stop();
    EXPECT_EQ(Log(), "S 92- P\nS 40- 12- P\n");
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STARTS), 2u);
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 2u);
    EXPECT_EQ(FTSIM_GetLines(), 0x06);
}

TEST_F(BusTest, LogShowsRepeatedStartsAndTheMastersAcknowledges) {
    FTSIM_EepromPoke(eeprom_, 0x123, 0x5A);
    FTSIM_EepromPoke(eeprom_, 0x124, 0xC3);
    Start();
    WriteByte(0xA2);
    WriteByte(0x23);
    Start();
    WriteByte(0xA3);
    EXPECT_EQ(ReadByte(true), 0x5A);
    EXPECT_EQ(ReadByte(false), 0xC3);
    Stop();
    EXPECT_EQ(Log(), "S A2+ 23+ Sr A3+ 5A+ C3- P\n");
}

TEST_F(BusTest, UnfinishedTransactionShowsWithoutNewline) {
    Start();
    WriteByte(0x90);
    EXPECT_EQ(Log(), "S 90+");
    FTSIM_ClearLog();
    Stop();
    EXPECT_EQ(Log(), " P\n");
}

TEST_F(BusTest, StopOutsideATransactionIsCountedNotLogged) {
    Stop();
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 1u);
}

TEST_F(BusTest, NackFaultRefusesTheNthByteOfEachTransaction) {
    struct Case {
        long n;
        const char *log;
    };
    // Address, command, repeated start, read address: the count runs on through Sr.
    const Case cases[] = {
        {1, "S 90- AC- Sr 91+ FF- P\n"},  // no command reached the chip: it has none to answer
        {2, "S 90+ AC- Sr 91+ FF- P\n"},
        {3, "S 90+ AC+ Sr 91- FF- P\n"},
        {4, "S 90+ AC+ Sr 91+ A0- P\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.n);
        FTSIM_SetFault(FTSIM_FAULT_NACK_BYTE, c.n);
        FTSIM_ThermSetConfig(therm_, 0xA0);
        FTSIM_ClearLog();
        for (int transaction = 0; transaction < 2; ++transaction) {
            Start();
            WriteByte(0x90);
            WriteByte(0xAC);
            Start();
            WriteByte(0x91);
            ReadByte(false);
            Stop();
        }
        EXPECT_EQ(Log(), std::string(c.log) + c.log);
    }
}

TEST_F(BusTest, NackedDataByteDoesNotReachTheChip) {
    FTSIM_SetFault(FTSIM_FAULT_NACK_BYTE, 3);
    FTSIM_ThermSetConfig(therm_, 0x80);
    Start();
    EXPECT_TRUE(WriteByte(0x90));
    EXPECT_TRUE(WriteByte(0xAC));
    EXPECT_FALSE(WriteByte(0x01));
    Stop();
    EXPECT_EQ(FTSIM_ThermGetConfig(therm_), 0x80);
}

TEST_F(BusTest, DeviceHoldingSdaLowHidesEveryCondition) {
    FTSIM_SetFault(FTSIM_FAULT_SDA_HELD_LOW, 0);
    EXPECT_EQ(FTSIM_GetLines() & kSdaBus, 0);
    Start();
    EXPECT_TRUE(WriteByte(0x90)) << "a held-low line reads as acknowledge";
    EXPECT_EQ(ReadByte(false), 0x00);
    Stop();
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STARTS), 0u);
    FTSIM_ClearFaults();
    EXPECT_EQ(FTSIM_GetLines(), 0x06);
}

std::vector<uint8_t> ByteStates(uint8_t value) {
    std::vector<uint8_t> states;
    for (int i = 7; i >= 0; --i) {
        const uint8_t sda = (value >> i) & 1 ? kSda : 0;
        states.insert(states.end(), {sda, static_cast<uint8_t>(sda | kScl), sda});
    }
    return states;
}

std::vector<uint8_t> Then(std::vector<uint8_t> first, const std::vector<uint8_t> &second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST_F(BusTest, ProtocolViolationsAreLogged) {
    struct Case {
        const char *name;
        std::vector<uint8_t> after_start;
        const char *log;
    };
    // The thermometer's address and its acknowledge clock.
    const std::vector<uint8_t> therm = Then(ByteStates(0x90), {kSda, kSda | kScl, kSda});
    const Case cases[] = {
        {"SDA rises while SCL high in the middle of a byte", Then(therm, {0, 1, 0, 0, 1, 0, 0, 1, 3, 2}),
         "! stop inside a byte, after 2 bits (SDA rose while SCL high)\nS 90+ P\n"},
        {"SDA falls while SCL high in the middle of a byte", Then(therm, {2, 3, 2, 3, 1, 0}),
         "! start inside a byte, after 1 bits (SDA fell while SCL high)\nS 90+ Sr"},
        {"both lines in one pin state", Then(therm, {2, 3, 0}),
         "! SCL and SDA changed in the same pin state (SCL falling)\nS 90+"},
        {"start during the acknowledge clock", Then(ByteStates(0x40), {2, 3, 1, 0}),
         "! start during the acknowledge clock\nS 40- Sr"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Write({kSda});  // leave any open transaction
        Stop();
        FTSIM_ClearLog();
        Start();
        Write(c.after_start);
        EXPECT_EQ(Log(), c.log);
    }
}

TEST_F(BusTest, StopAfterAnAcknowledgedReadByteIsAViolation) {
    FTSIM_EepromPoke(eeprom_, 0, 0xFF);  // the chip then drives a 1 and the stop gets through
    FTSIM_EepromPoke(eeprom_, 1, 0xFF);
    Start();
    WriteByte(0xA0);
    WriteByte(0x00);
    Start();
    WriteByte(0xA1);
    ReadByte(true);
    Stop();
    EXPECT_EQ(Log(),
              "! stop after an acknowledged read byte (the last byte read must be not acknowledged)\n"
              "S A0+ 00+ Sr A1+ FF+ P\n");
}

TEST_F(BusTest, ChipDrivingAZeroBlocksTheStop) {
    // After an acknowledged read the chip shifts out the next byte; a 0 bit
    // holds SDA low, so the master's stop never reaches the bus.
    FTSIM_EepromPoke(eeprom_, 0, 0x12);
    FTSIM_EepromPoke(eeprom_, 1, 0x34);
    Start();
    WriteByte(0xA0);
    WriteByte(0x00);
    Start();
    WriteByte(0xA1);
    ReadByte(true);
    Stop();
    EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), 0u);
    EXPECT_EQ(Log(), "S A0+ 00+ Sr A1+ 12+");
}

}  // namespace

// FTSIM_* variables, applied through FTSIM_ConfigureFromEnvironment in this
// process (FT_Open applies them the first time it runs; see the ctest cases
// in CMakeLists.txt for that path).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "chip_helpers.h"

using namespace rawbus;

namespace {

constexpr const char *kVariables[] = {"FTSIM_DEVICES", "FTSIM_TEMP",  "FTSIM_TEMP_RAW", "FTSIM_CONVERSION",
                                      "FTSIM_WRITE_CYCLE", "FTSIM_LATENCY_US", "FTSIM_FAULT", "FTSIM_CAPTURE",
                                      "FTSIM_LOG"};

class EnvironmentTest : public RawBusTest {
protected:
    void SetUp() override {
        RawBusTest::SetUp();
        for (const char *name : kVariables) unsetenv(name);
    }
    void TearDown() override {
        for (const char *name : kVariables) unsetenv(name);
        FTSIM_Reset();
    }
    // Applies the variables; returns what went to stderr.
    std::string Configure(int expected) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(FTSIM_ConfigureFromEnvironment(), expected);
        return testing::internal::GetCapturedStderr();
    }
    // S 90 EE P, done polling, then the two temperature bytes.
    std::vector<uint8_t> Measure(uint8_t address = 0x90) {
        WriteTransaction(address, {0xAC, 0x01});
        WriteTransaction(address, {0xEE});
        for (int i = 0; i < 5 && (ReadAfter(address, {0xAC}, 1)[0] & 0x80) == 0; ++i) {
        }
        return ReadAfter(address, {0xAA}, 2);
    }
};

TEST_F(EnvironmentTest, MalformedVariablesAreNamedAndChangeNothing) {
    struct Case {
        const char *name, *value;
    };
    const Case cases[] = {
        {"FTSIM_DEVICES", "therm:8"},         {"FTSIM_DEVICES", "thermometer"},   {"FTSIM_DEVICES", "eeprom,clock"},
        {"FTSIM_DEVICES", "therm:1,therm:1"}, {"FTSIM_DEVICES", "eeprom:2"},      {"FTSIM_TEMP", "warm"},
        {"FTSIM_TEMP", "23.5C"},              {"FTSIM_TEMP", "300"},              {"FTSIM_TEMP_RAW", "25,0,1"},
        {"FTSIM_TEMP_RAW", "0x19,0x80,40,256"}, {"FTSIM_CONVERSION", "750"},      {"FTSIM_CONVERSION", "fast"},
        {"FTSIM_CONVERSION", "-3reads"},      {"FTSIM_WRITE_CYCLE", "5ms"},       {"FTSIM_LATENCY_US", "1ms"},
        {"FTSIM_LATENCY_US", "-1"},           {"FTSIM_FAULT", "nack"},            {"FTSIM_FAULT", "nack:0"},
        {"FTSIM_FAULT", "open:3"},            {"FTSIM_FAULT", "sda-high"},        {"FTSIM_CAPTURE", ""},
        {"FTSIM_LOG", "/nonexistent/dir/log"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        FTSIM_Reset();
        const int eeprom = FTSIM_AddEeprom();
        setenv(c.name, c.value, 1);
        const std::string message = Configure(-1);
        EXPECT_NE(message.find(c.name), std::string::npos) << message;
        unsetenv(c.name);
        EXPECT_EQ(FTSIM_EepromPeek(eeprom, 0), 0xFF) << "the bus is as it was";
    }
}

TEST_F(EnvironmentTest, NothingSetGivesTheDemoBus) {
    EXPECT_EQ(Configure(0), "");
    EXPECT_TRUE(WriteTransaction(0x90, {}));
    EXPECT_TRUE(WriteTransaction(0xA0, {}));
    EXPECT_FALSE(WriteTransaction(0x92, {}));
    // About one full-speed USB transfer per call; zero it again for the test's pace.
    FTSIM_SetLatencyMicros(0);
    EXPECT_EQ(FTSIM_ThermGetConfig(0) & 0x80, 0x80);
}

TEST_F(EnvironmentTest, DevicesTemperatureConversionAndFaults) {
    setenv("FTSIM_DEVICES", " therm:3 , clock:1,therm", 1);
    setenv("FTSIM_TEMP", "-10.5", 1);
    setenv("FTSIM_CONVERSION", "2reads", 1);
    setenv("FTSIM_LATENCY_US", "0", 1);
    setenv("FTSIM_FAULT", "nack:2", 1);
    EXPECT_EQ(Configure(0), "");
    FTSIM_ClearFaults();
    EXPECT_EQ(Measure(0x96), (std::vector<uint8_t>{0xF5, 0x80}));
    EXPECT_EQ(Measure(0x90), (std::vector<uint8_t>{0xF5, 0x80}));
    EXPECT_TRUE(WriteTransaction(0xA2, {})) << "the clock";
    EXPECT_FALSE(WriteTransaction(0xA0, {}));

    setenv("FTSIM_DEVICES", "therm", 1);
    setenv("FTSIM_TEMP_RAW", "0x19,0x80,40,0x64", 1);
    unsetenv("FTSIM_TEMP");
    EXPECT_EQ(Configure(0), "");
    WriteTransaction(0x90, {0xAC, 0x01});
    EXPECT_EQ(Log(), "S 90+ AC- 01+ P\n") << "nack:2 refuses the second byte of every transaction";
    FTSIM_ClearFaults();
    EXPECT_EQ(Measure(), (std::vector<uint8_t>{0x19, 0x80}));
    EXPECT_EQ(ReadAfter(0x90, {0xA8}, 1)[0], 40);

    setenv("FTSIM_DEVICES", "none", 1);
    setenv("FTSIM_FAULT", "sda-low,d1-high,therm-never-done", 1);
    EXPECT_EQ(Configure(0), "");
    EXPECT_EQ(FTSIM_GetLines() & kSdaBus, 0);
}

TEST_F(EnvironmentTest, LogFileGetsEachTransactionAsItEnds) {
    const auto path = std::filesystem::temp_directory_path() / ("ftsim_log_" + std::to_string(::getpid()) + ".txt");
    std::filesystem::remove(path);
    setenv("FTSIM_LOG", path.c_str(), 1);
    setenv("FTSIM_LATENCY_US", "0", 1);
    EXPECT_EQ(Configure(0), "");
    WriteTransaction(0x90, {0xEE});
    Start();
    WriteByte(0x92);
    const auto contents = [&] {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    EXPECT_EQ(contents(), "S 90+ EE+ P\n") << "an unfinished transaction is not written yet";
    Stop();
    EXPECT_EQ(contents(), "S 90+ EE+ P\nS 92- P\n");
    std::filesystem::remove(path);
}

}  // namespace

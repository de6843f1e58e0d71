// VCD capture: the file's structure, and an independent decode with
// sigrok-cli compared token by token with the library's own log.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "chip_helpers.h"

using namespace rawbus;

namespace {

std::string ReadFile(const std::filesystem::path &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CaptureTest : public RawBusTest {
protected:
    void SetUp() override {
        RawBusTest::SetUp();
        dir_ = std::filesystem::temp_directory_path() / ("ftsim_capture_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        vcd_ = dir_ / "bus.vcd";
        const int therm = FTSIM_AddThermometer(0);
        FTSIM_ThermSetConversion(therm, FTSIM_CONV_READS, 1);
        FTSIM_ThermSetRaw(therm, 0x19, 0x80, 0x28, 0x64);
        const int eeprom = FTSIM_AddEeprom();
        FTSIM_EepromSetWriteCycle(eeprom, FTSIM_WC_POLLS, 2);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // A few transactions of every kind: writes, reads with repeated start,
    // an unanswered address, acknowledge polling.
    void Traffic() {
        ASSERT_EQ(FTSIM_CaptureStart(vcd_.string().c_str()), 0);
        WriteTransaction(0x90, {0xAC, 0x01});
        WriteTransaction(0x90, {0xEE});
        ReadAfter(0x90, {0xAC}, 1);
        ReadAfter(0x90, {0xAA}, 2);
        WriteTransaction(0x9E, {});
        WriteTransaction(0xA2, {0x23, 0x5A});
        WriteTransaction(0xA2, {});
        WriteTransaction(0xA2, {});
        ReadAfter(0xA2, {0x23}, 1);
        FTSIM_CaptureStop();
    }

    std::filesystem::path dir_, vcd_;
};

TEST_F(CaptureTest, VcdHasThreeWiresATimescaleAndAClosingTimestamp) {
    Traffic();
    const std::string vcd = ReadFile(vcd_);
    EXPECT_NE(vcd.find("$timescale 1 us $end"), std::string::npos);
    for (const char *wire : {" scl $end", " sda_m $end", " sda $end"}) EXPECT_NE(vcd.find(wire), std::string::npos) << wire;
    // The last line is the time one step after the last pin state.
    const size_t last = vcd.rfind('#');
    const unsigned long end = std::stoul(vcd.substr(last + 1));
    EXPECT_EQ(end, FTSIM_GetCounter(FTSIM_COUNT_PIN_STATES) + 1);
    EXPECT_EQ(vcd.back(), '\n');
    EXPECT_EQ(FTSIM_CaptureStart("/nonexistent/dir/bus.vcd"), -1);
}

// sigrok's I2C decoder output turned into our log's notation.
std::string DecodeWithSigrok(const std::filesystem::path &vcd, const std::filesystem::path &errors) {
    const std::string command = "sigrok-cli -i '" + vcd.string() +
                                "' -I vcd -P i2c:scl=scl:sda=sda:address_format=unshifted -A i2c=addr-data 2>'" +
                                errors.string() + "'";
    std::FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return "popen failed";
    std::string log, line;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const std::string prefix = "i2c-1: ";
        if (line.rfind(prefix, 0) != 0) {
            log += "?" + line;
            continue;
        }
        const std::string what = line.substr(prefix.size());
        const size_t colon = what.find(": ");
        if (what == "Start") {
            log += "S";
        } else if (what == "Start repeat") {
            log += " Sr";
        } else if (what == "Stop") {
            log += " P\n";
        } else if (what == "ACK") {
            log += "+";
        } else if (what == "NACK") {
            log += "-";
        } else if (what == "Write" || what == "Read") {
            // direction rows carry nothing the address byte does not
        } else if (colon != std::string::npos) {
            log += " " + what.substr(colon + 2);
        } else {
            log += "?" + what;
        }
    }
    const int status = pclose(pipe);
    if (status != 0) log += "exit status " + std::to_string(status);
    return log;
}

TEST_F(CaptureTest, SigrokDecodesTheSameTransactionsAsTheLog) {
    if (std::system("command -v sigrok-cli >/dev/null 2>&1") != 0) GTEST_SKIP() << "sigrok-cli is not installed";
    Traffic();
    const std::string ours = Log();
    ASSERT_EQ(ours.find('!'), std::string::npos) << ours;
    EXPECT_EQ(ours,
              "S 90+ AC+ 01+ P\nS 90+ EE+ P\nS 90+ AC+ Sr 91+ 81- P\nS 90+ AA+ Sr 91+ 19+ 80- P\nS 9E- P\n"
              "S A2+ 23+ 5A+ P\nS A2- P\nS A2+ P\nS A2+ 23+ Sr A3+ 5A- P\n");
    const auto errors = dir_ / "sigrok.err";
    EXPECT_EQ(DecodeWithSigrok(vcd_, errors), ours);
    EXPECT_EQ(ReadFile(errors), "") << "sigrok-cli complained";
}

}  // namespace

// The thermo program end to end against the simulated adapter, with no
// console input: standard output compared byte for byte, exit status 0 on
// every path.
//
// A run without console input measures until something fails, so normal
// readings are ended by making a later adapter call fail. Adapter calls per
// step (see the thermometer driver's tests), with a conversion done at the
// first done-flag poll:
//   start-up                  2 pin reads,  3 writes
//   set-up (read, then write 0x01 over the power-up 0x80)
//                            15 pin reads, 41 writes
//   one reading cycle        66 pin reads, 169 writes
//     start 2, one poll 12, reading 19, high-resolution reading 33 pin reads
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

#include "program.h"

namespace {

using program::Environment;

constexpr int kPinReadsBeforeFirstCycle = 2 + 15;
constexpr int kPinReadsPerCycle = 66;
constexpr int kWritesBeforeFirstCycle = 3 + 41;
constexpr int kWritesPerCycle = 169;

// Pin reads before the start of cycle `cycle` (1-based) plus `into` more.
std::string PinReadFails(int cycle, int into) {
    return "getbitmode-from:" +
           std::to_string(kPinReadsBeforeFirstCycle + kPinReadsPerCycle * (cycle - 1) + into);
}

// The simulated bus: one thermometer at index 0 whose every conversion
// latches 23.5 degC, counter 3, slope 16 (23.5625 degC), done at the first
// poll; no emulated USB latency.
Environment Bus(const std::string &fault = "") {
    Environment environment = {
        {"LD_LIBRARY_PATH", SIM_LIBRARY_DIR}, {"FTSIM_DEVICES", "therm:0"},  {"FTSIM_TEMP_RAW", "23,0x80,3,16"},
        {"FTSIM_CONVERSION", "1reads"},       {"FTSIM_LATENCY_US", "0"},
    };
    if (!fault.empty()) environment.emplace_back("FTSIM_FAULT", fault);
    return environment;
}

Environment With(Environment environment, const std::string &name, const std::string &value) {
    for (auto &entry : environment) {
        if (entry.first == name) {
            entry.second = value;
            return environment;
        }
    }
    environment.emplace_back(name, value);
    return environment;
}

const std::string kReading = "Temp1=23.50   Temp2=23.56\n";
const std::string kHitAnyKey = "Hit any key ";
const std::string kOpenFailed = "Erreur a l'initialisation I2C\n";

void ExpectEnds(const program::Ending &ending, const std::string &out) {
    EXPECT_FALSE(ending.timed_out);
    EXPECT_TRUE(ending.exited);
    EXPECT_EQ(ending.code, 0);
    EXPECT_EQ(ending.out, out);
}

TEST(Thermo, PrintsReadingsUntilTheLinkFails) {
    const std::string log_path = testing::TempDir() + "thermo_readings.log";
    std::remove(log_path.c_str());
    const auto ending = program::RunDetached(With(Bus(PinReadFails(3, 1)), "FTSIM_LOG", log_path));
    ExpectEnds(ending, "Initialisation : 0\n" + kReading + kReading + "Erreur lors du trigger\n" + kHitAnyKey);

    // What the chip saw: one-shot mode set once, then per cycle a start,
    // one poll, the reading and the high-resolution reading.
    const std::string cycle =
        "S 90+ EE+ P\n"
        "S 90+ AC+ Sr 91+ 81- P\n"
        "S 90+ AA+ Sr 91+ 17+ 80- P\n"
        "S 90+ AA+ Sr 91+ 17- Sr 90+ A9+ Sr 91+ 10- Sr 90+ A8+ Sr 91+ 03- P\n";
    std::ifstream log(log_path);
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_EQ(text.str(), "S 90+ AC+ Sr 91+ 80- P\n"
                          "S 90+ AC+ 01+ P\n" +
                              cycle + cycle + "S 90+ P\n");
}

TEST(Thermo, TemperaturesPrintWithTiesRoundedAwayFromZero) {
    struct Case {
        const char *raw;  // msb, lsb, counter, slope
        const char *line;
    };
    const Case cases[] = {
        {"23,0,5,8", "Temp1=23.00   Temp2=23.13\n"},        // 23.125
        {"25,0x80,60,100", "Temp1=25.50   Temp2=25.15\n"},  // 6400 - 64 + 102.4
        {"0,0,255,1", "Temp1= 0.00   Temp2=-254.25\n"},    // the lowest high-resolution value
        {"255,0xFF,0,16", "Temp1=256.00   Temp2=255.75\n"},
        {"5,0x80,0,0", "Temp1= 5.50   Temp2= 4.75\n"},  // slope 0: no fraction
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.raw);
        const auto ending = program::RunDetached(With(Bus(PinReadFails(2, 1)), "FTSIM_TEMP_RAW", c.raw));
        ExpectEnds(ending, "Initialisation : 0\n" + std::string(c.line) + "Erreur lors du trigger\n" + kHitAnyKey);
    }
}

TEST(Thermo, NoThermometer) {
    const auto ending = program::RunDetached(With(Bus(), "FTSIM_DEVICES", "none"));
    ExpectEnds(ending, "Initialisation : 1\nErreur lors du trigger\n" + kHitAnyKey);
}

TEST(Thermo, SetUpFailureIsShownAndMeasuringBegins) {
    // The third byte of every transaction refused: the set-up's read address
    // fails (status 1), the two-byte start of conversion goes through, the
    // done-flag poll fails.
    ExpectEnds(program::RunDetached(Bus("nack:3")),
               "Initialisation : 1\nErreur a la lecture status\n" + kHitAnyKey);
}

TEST(Thermo, EachFailingOperationHasItsMessage) {
    struct Case {
        const char *operation;
        std::string fault;
        std::string out;
    };
    const Case cases[] = {
        {"start of conversion", PinReadFails(1, 1), "Initialisation : 0\nErreur lors du trigger\n"},
        {"done-flag poll", PinReadFails(1, 2 + 1), "Initialisation : 0\nErreur a la lecture status\n"},
        {"reading", PinReadFails(2, 2 + 12 + 1),
         "Initialisation : 0\n" + kReading + "Erreur a la lecture temperature\n"},
        // Only the high-resolution reading writes a fourth byte in one
        // transaction: its message follows Temp1 on the same line.
        {"high-resolution reading", "nack:4", "Initialisation : 0\nTemp1=23.50Erreur a la lecture temperature\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.operation);
        const auto ending = program::RunDetached(Bus(c.fault));
        ExpectEnds(ending, c.out + kHitAnyKey);
    }
}

TEST(Thermo, LinkDyingMidRunEndsWithAMessage) {
    // The adapter is gone between two cycles: every call fails from there.
    const std::string gone = PinReadFails(2, 1) + ",write-from:" +
                             std::to_string(kWritesBeforeFirstCycle + kWritesPerCycle + 1);
    ExpectEnds(program::RunDetached(Bus(gone)),
               "Initialisation : 0\n" + kReading + "Erreur lors du trigger\n" + kHitAnyKey);

    // Gone in the middle of the first reading's first data byte: its last four
    // bits and the second byte read as released lines (0x17 -> 0x1F, 0xFF),
    // then the next acknowledge check fails.
    ExpectEnds(program::RunDetached(Bus(PinReadFails(1, 2 + 12 + 3 + 5))),
               "Initialisation : 0\nTemp1=32.00Erreur a la lecture temperature\n" + kHitAnyKey);
}

TEST(Thermo, ConversionThatNeverEndsGivesUpAfterTwoSeconds) {
    ExpectEnds(program::RunDetached(Bus("therm-never-done")),
               "Initialisation : 0\nErreur : conversion trop longue\n" + kHitAnyKey);
}

TEST(Thermo, ConversionOfTheChipsOwnLengthIsWaitedFor) {
    // The chip's own 750 ms and some USB latency: many polls, then the
    // reading. The high-resolution reading's fourth byte is refused to end
    // the run.
    Environment environment = With(Bus("nack:4"), "FTSIM_CONVERSION", "750ms");
    environment = With(environment, "FTSIM_LATENCY_US", "100");
    ExpectEnds(program::RunDetached(environment),
               "Initialisation : 0\nTemp1=23.50Erreur a la lecture temperature\n" + kHitAnyKey);
}

TEST(Thermo, StartUpFailures) {
    struct Case {
        const char *what;
        Environment environment;
    };
    const Case cases[] = {
        {"no adapter library on the loader's path", {{"LD_LIBRARY_PATH", EMPTY_LIBRARY_DIR}}},
        {"adapter library without FT_GetBitMode", With(Bus(), "LD_LIBRARY_PATH", SIM_NOGETBITMODE_LIBRARY_DIR)},
        {"adapter does not open", Bus("open")},
        {"baud rate refused", Bus("baud")},
        {"bit mode refused", Bus("bitmode")},
        {"D1 stuck low", Bus("d1-low")},
        {"D1 stuck high", Bus("d1-high")},
        {"self-test write fails", Bus("write-from:1")},
        {"self-test read fails", Bus("getbitmode-from:2")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ExpectEnds(program::RunDetached(c.environment), kOpenFailed + kHitAnyKey);
    }
}

// ---- Output is never held back ---------------------------------------------

TEST(Thermo, EachLineIsOutBeforeTheProgramGoesOn) {
    // With the conversion never done the program sits in its done-flag poll
    // for two seconds: the set-up line must be out by then.
    program::Program run;
    ASSERT_TRUE(run.Start(Bus("therm-never-done"), program::Console::kNone));
    EXPECT_EQ(run.OutputUntil("Initialisation : 0\n"), "Initialisation : 0\n");
    EXPECT_TRUE(run.StillRunningAfter(std::chrono::milliseconds(0)));
    ExpectEnds(run.Wait(), "Initialisation : 0\nErreur : conversion trop longue\n" + kHitAnyKey);
}

TEST(Thermo, ReadingsSoFarSurviveTheProgramBeingKilled) {
    // Without console input only a signal ends a healthy run. Whatever was
    // printed is out: whole readings, perhaps a last Temp1, never a line cut
    // at a buffer boundary.
    program::Program run;
    ASSERT_TRUE(run.Start(With(Bus(), "FTSIM_CONVERSION", "5ms"), program::Console::kNone));
    run.OutputUntil(kReading + kReading);
    run.Signal(SIGKILL);
    const auto ending = run.Wait();
    EXPECT_FALSE(ending.exited);
    const std::string setup = "Initialisation : 0\n";
    ASSERT_EQ(ending.out.rfind(setup, 0), 0u) << ending.out;
    std::string rest = ending.out.substr(setup.size());
    int readings = 0;
    for (; rest.rfind(kReading, 0) == 0; ++readings) rest.erase(0, kReading.size());
    EXPECT_GE(readings, 2);
    EXPECT_TRUE(rest.empty() || rest == "Temp1=23.50") << rest;
}

}  // namespace

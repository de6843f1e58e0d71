// The thermo program on a pseudo-terminal: a key typed on the terminal ends
// it, the key stays in the terminal's input, and the terminal's settings are
// as they were whichever way the program ends. Standard input is /dev/null
// throughout: keys come from the controlling terminal.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <termios.h>

#include "program.h"

namespace {

using program::Console;
using program::Environment;

Environment Bus(const std::string &devices = "therm:0") {
    return {{"LD_LIBRARY_PATH", SIM_LIBRARY_DIR}, {"FTSIM_DEVICES", devices},
            {"FTSIM_TEMP_RAW", "23,0x80,3,16"},   {"FTSIM_CONVERSION", "2reads"},
            {"FTSIM_LATENCY_US", "0"}};
}

const std::string kReading = "Temp1=23.50   Temp2=23.56\n";
const std::string kNoThermometer = "Initialisation : 1\nErreur lors du trigger\nHit any key ";

class OnTerminal : public testing::Test {
protected:
    void StartWith(const Environment &environment) {
        ASSERT_TRUE(run_.Start(environment, Console::kTerminal));
        before_ = run_.SettingsBefore();
    }
    void ExpectExitedWithZero(const program::Ending &ending) {
        EXPECT_FALSE(ending.timed_out);
        EXPECT_TRUE(ending.exited);
        EXPECT_EQ(ending.code, 0);
    }
    void ExpectSettingsAsBefore() {
        EXPECT_TRUE(program::SameSettings(run_.Settings(), before_)) << "terminal settings changed";
    }

    program::Program run_;
    termios before_{};
};

TEST_F(OnTerminal, KeyTypedDuringStartUpEndsAfterTheFirstFullLine) {
    StartWith(Bus());
    run_.Type("k");
    const auto ending = run_.Wait();
    ExpectExitedWithZero(ending);
    EXPECT_EQ(ending.out, "Initialisation : 0\n" + kReading);
    ExpectSettingsAsBefore();
    EXPECT_EQ(run_.PendingLine(), "k\n") << "the key stays in the terminal's input";
}

TEST_F(OnTerminal, KeyWhileMeasuringEndsAtTheEndOfThatCycle) {
    StartWith(Bus());
    run_.OutputUntil(kReading + kReading);
    run_.Type("q");
    const auto ending = run_.Wait();
    ExpectExitedWithZero(ending);
    // Whole lines only: the key is looked for after Temp2's line end.
    ASSERT_GE(ending.out.size(), 2 * kReading.size());
    const std::string readings = ending.out.substr(std::string("Initialisation : 0\n").size());
    EXPECT_EQ(ending.out.rfind("Initialisation : 0\n", 0), 0u);
    EXPECT_EQ(readings.size() % kReading.size(), 0u) << ending.out;
    for (size_t at = 0; at < readings.size(); at += kReading.size()) {
        EXPECT_EQ(readings.substr(at, kReading.size()), kReading);
    }
    ExpectSettingsAsBefore();
    EXPECT_EQ(run_.PendingLine(), "q\n");
}

TEST_F(OnTerminal, KeyAlreadyWaitingWhenAFailureHappensEndsRightAfterHitAnyKey) {
    StartWith(Bus("none"));
    run_.Type("x");
    const auto ending = run_.Wait();
    ExpectExitedWithZero(ending);
    EXPECT_EQ(ending.out, kNoThermometer);
    ExpectSettingsAsBefore();
    EXPECT_EQ(run_.PendingLine(), "x\n");
}

TEST_F(OnTerminal, AfterAFailureItWaitsForAKeyWithoutEnter) {
    StartWith(Bus("none"));
    EXPECT_EQ(run_.OutputUntil("Hit any key "), kNoThermometer);
    EXPECT_TRUE(run_.StillRunningAfter(std::chrono::milliseconds(300)));

    // While it waits the terminal neither waits for a line nor echoes.
    const termios during = run_.Settings();
    EXPECT_EQ(during.c_lflag & ICANON, 0u);
    EXPECT_EQ(during.c_lflag & ECHO, 0u);
    EXPECT_NE(during.c_lflag & ISIG, 0u) << "Ctrl+C must keep working";

    run_.Type(" ");
    const auto ending = run_.Wait();
    ExpectExitedWithZero(ending);
    EXPECT_EQ(ending.out, kNoThermometer);
    ExpectSettingsAsBefore();
}

TEST_F(OnTerminal, StartUpFailureWaitsForAKeyToo) {
    Environment environment = Bus();
    environment.emplace_back("FTSIM_FAULT", "d1-low");
    StartWith(environment);
    EXPECT_EQ(run_.OutputUntil("Hit any key "), "Erreur a l'initialisation I2C\nHit any key ");
    EXPECT_TRUE(run_.StillRunningAfter(std::chrono::milliseconds(200)));
    run_.Type("\x1b[A");  // a cursor key: an escape sequence
    ExpectExitedWithZero(run_.Wait());
    ExpectSettingsAsBefore();
}

TEST_F(OnTerminal, CtrlCWhileMeasuringRestoresTheTerminalAndEndsByTheSignal) {
    StartWith(Bus());
    run_.OutputUntil(kReading);
    run_.Type("\x03");
    const auto ending = run_.Wait();
    EXPECT_FALSE(ending.exited);
    EXPECT_EQ(ending.code, SIGINT);
    ExpectSettingsAsBefore();
}

TEST_F(OnTerminal, EndingSignalsWhileWaitingForAKeyRestoreTheTerminal) {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(strsignal(signal_number));
        program::Program run;
        ASSERT_TRUE(run.Start(Bus("none"), Console::kTerminal));
        const termios before = run.SettingsBefore();
        run.OutputUntil("Hit any key ");
        run.Signal(signal_number);
        const auto ending = run.Wait();
        EXPECT_FALSE(ending.exited);
        EXPECT_EQ(ending.code, signal_number);
        EXPECT_TRUE(program::SameSettings(run.Settings(), before));
    }
}

}  // namespace

// I2C_Open against the simulated adapter. It runs once per process, so every
// case runs it in a child process of its own and reports back what happened.
// The simulated adapter takes its set-up from FTSIM_* variables when it is
// first opened, so each child sets those.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "i2c/link.h"
#include "sim/ftsim.h"
#include "sim_bus.h"
#include "trace.h"

namespace {

using trace::Lines;

struct Outcome {
    int status = -1;
    Lines calls;
};

// Fork, set the adapter up with the given faults (FTSIM_FAULT), run
// I2C_Open, and bring back its status and the adapter call trace.
Outcome OpenInFreshProcess(const char *faults) {
    int channel[2];
    if (pipe(channel) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        setenv("FTSIM_DEVICES", "none", 1);
        setenv("FTSIM_LATENCY_US", "0", 1);
        setenv("FTSIM_FAULT", faults, 1);
        if (*faults == '\0') unsetenv("FTSIM_FAULT");
        const int status = I2C_Open();
        const std::string report = std::to_string(status) + "\n" + simbus::Calls();
        const ssize_t written = write(channel[1], report.data(), report.size());
        _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<size_t>(n));
    }
    close(channel[0]);
    int wait_status = 0;
    waitpid(child, &wait_status, 0);
    Outcome outcome;
    Lines lines = trace::Split(report);
    if (lines.empty()) return outcome;
    outcome.status = std::stoi(lines.front());
    outcome.calls.assign(lines.begin() + 1, lines.end());
    return outcome;
}

// A pin read, with its value hidden: "G FF" -> "G".
Lines WithoutLevels(Lines calls) {
    for (std::string &call : calls) {
        if (call.rfind("G ", 0) == 0 && call != "G !") call = "G";
    }
    return calls;
}

int Level(const std::string &read_call) { return std::stoi(read_call.substr(2), nullptr, 16); }

constexpr int kD1 = 0x02;

TEST(I2COpen, SelfTestsD1HighThenLowThenLeavesTheBusStopped) {
    const Outcome outcome = OpenInFreshProcess("");
    EXPECT_EQ(outcome.status, I2C_OK);
    ASSERT_EQ(WithoutLevels(outcome.calls), (Lines{"W 02", "G", "W 00", "G", "W 00 01 03 02"}));
    EXPECT_EQ(Level(outcome.calls[1]) & kD1, kD1);
    EXPECT_EQ(Level(outcome.calls[3]) & kD1, 0);
}

struct FailureCase {
    const char *what;
    const char *faults;
    Lines calls;  // everything the adapter saw: nothing after the failing step
};

const FailureCase kFailures[] = {
    {"adapter does not open", "open", {}},
    {"baud rate refused", "baud", {}},
    {"bit mode refused", "bitmode", {}},
    {"D1 reads back low after 0x02", "d1-low", {"W 02", "G"}},
    {"D1 reads back high after 0x00", "d1-high", {"W 02", "G", "W 00", "G"}},
    {"first pin read fails", "getbitmode-from:1", {"W 02", "G !"}},
    {"second pin read fails", "getbitmode-from:2", {"W 02", "G", "W 00", "G !"}},
    {"first self-test write fails", "write-from:1", {"W ! 02"}},
    {"second self-test write fails", "write-from:2", {"W 02", "G", "W ! 00"}},
};

TEST(I2COpen, EveryFailingStepReturnsOneAndGoesNoFurther) {
    for (const FailureCase &c : kFailures) {
        SCOPED_TRACE(c.what);
        const Outcome outcome = OpenInFreshProcess(c.faults);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(WithoutLevels(outcome.calls), c.calls);
    }
}

TEST(I2COpen, FailedWriteOfTheClosingStopStillOpens) {
    const Outcome outcome = OpenInFreshProcess("write-from:3");
    EXPECT_EQ(outcome.status, I2C_OK);
    EXPECT_EQ(WithoutLevels(outcome.calls), (Lines{"W 02", "G", "W 00", "G", "W ! 00 01 03 02"}));
}

}  // namespace

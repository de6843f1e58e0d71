// Fault sweep over every driver operation.
//
// 1. A chip that does not acknowledge the k-th byte written in a transaction,
//    for every written byte of the operation's first transaction.
// 2. The adapter's pin read failing from its N-th call on, for every pin read
//    of the operation. A failed read reads as a released line, so the next
//    acknowledge check finds no acknowledge; this reaches every written byte,
//    later transactions included.
//
// Each case comes from the operation's bus sequence (driver_operations.h),
// never from a hand-written list: the expected outcome is that sequence cut
// right after the failed acknowledge check and closed with a stop, nothing
// more on the wire, I2C_NOACK, and out-parameters as the driver's rules say.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "driver_operations.h"
#include "i2c/eeprom.h"
#include "i2c/link.h"
#include "sim/ftsim.h"
#include "sim_bus.h"
#include "sim_setup.h"

namespace {

using robustness::Cost;
using robustness::kOperations;
using robustness::Operation;

// Adapter calls of an acknowledge check followed by the stop: SDA released
// and SCL raised, the sample, SCL low, then the stop waveform.
const char *const kSampleRise = "W 02 03";
const char *const kSampleFall = "W 02";
const char *const kStopWaveform = "W 00 01 03 02";

std::string Steps(const char *sequence) {
    std::string steps;
    for (const char *c = sequence; *c != '\0'; ++c) {
        if (*c != ' ') steps += *c;
    }
    return steps;
}

int PinReads(char step) { return static_cast<int>(robustness::StepCost(step).pin_reads); }

enum class Fault { kNackByte, kPinReadsFail };

struct Case {
    std::size_t op;
    Fault fault;
    int position;  // k-th written byte, or N-th pin read (1-based)
};

std::string CaseName(const ::testing::TestParamInfo<Case> &info) {
    const Case &c = info.param;
    return std::string(kOperations[c.op].name) +
           (c.fault == Fault::kNackByte ? "_NackByte" : "_PinReadsFailFrom") + std::to_string(c.position);
}

// Generated from each operation's sequence: every written byte of its first
// transaction, and every pin read of the whole operation.
std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (std::size_t i = 0; i < kOperations.size(); ++i) {
        const std::string steps = Steps(kOperations[i].sequence);
        const std::string first = steps.substr(0, steps.find('P'));
        int written = 0;
        for (const char step : first) {
            if (step == 'W') cases.push_back({i, Fault::kNackByte, ++written});
        }
        const int reads = static_cast<int>(robustness::SequenceCost(steps).pin_reads);
        for (int n = 1; n <= reads; ++n) cases.push_back({i, Fault::kPinReadsFail, n});
    }
    return cases;
}

// What the operation must do under the fault.
struct Expected {
    std::string steps;       // the bus sequence, up to and including the closing stop
    bool nack = false;       // I2C_NOACK, else I2C_OK
    bool polls_forever = false;  // the acknowledge poll never got its acknowledge
    int forced_from_bit = -1;    // pin reads failed inside the first byte read: from this bit on (0 = MSB) it reads 1
    // The check that failed was the read address after a repeated start, which
    // the chip did acknowledge: it now drives its first data bit, and while
    // that bit is 0 it holds SDA low through the stop waveform, so the stop
    // may not reach the bus (the chip lets go once its byte is clocked out).
    bool chip_transmitting = false;
};

Expected ForNackByte(const std::string &steps, int k) {
    Expected e;
    int written = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i] == 'W' && ++written == k) {
            e.steps = steps.substr(0, i + 1) + "P";
            e.nack = true;
            return e;
        }
    }
    e.steps = steps;
    return e;
}

Expected ForPinReadsFailing(const std::string &steps, int n) {
    Expected e;
    int before = 0;  // pin reads made before this step
    std::size_t transaction_start = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const char step = steps[i];
        if (i > 0 && steps[i - 1] == 'P') transaction_start = i;
        const int reads = PinReads(step);
        if (step == 'R' && e.forced_from_bit < 0 && before + reads >= n) {
            e.forced_from_bit = n > before ? n - before - 1 : 0;
        }
        if ((step == 'W' || step == 'Q') && before + 1 >= n) {
            e.steps = steps.substr(0, i + 1) + "P";
            e.nack = true;
            e.polls_forever = step == 'Q';
            e.chip_transmitting = step == 'W' && i >= 1 && steps[i - 1] == 'S' && i - 1 != transaction_start;
            return e;
        }
        before += reads;
    }
    e.steps = steps;
    return e;
}

class FaultSweep : public SimBusTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        SimBusTest::SetUp();
        if (HasFatalFailure()) return;
        EEP_SetKind(1);
    }
};

TEST_P(FaultSweep, EndsWithAStopRightAfterTheFailedCheckAndOutsByTheRules) {
    const Case &c = GetParam();
    const Operation &op = kOperations[c.op];
    const std::string steps = Steps(op.sequence);

    const int dev = robustness::AddChipFor(op);
    ASSERT_GE(dev, 0);
    const int stored = op.chip == robustness::Chip::kThermometer ? FTSIM_ThermGetConfig(dev)
                       : op.chip == robustness::Chip::kEeprom   ? robustness::kEepromStored
                                                                : robustness::kClockStored;
    simbus::ClearObservations();
    if (c.fault == Fault::kNackByte) {
        FTSIM_SetFault(FTSIM_FAULT_NACK_BYTE, c.position);
    } else {
        FTSIM_SetFault(FTSIM_FAULT_GETBITMODE_FROM, c.position);
    }
    Expected e = c.fault == Fault::kNackByte ? ForNackByte(steps, c.position)
                                             : ForPinReadsFailing(steps, c.position);
    // TEMP_Init writes the configuration only if it was not in one-shot mode:
    // when the failed reads set no more than bit 0 of it, it reads as one-shot.
    if (std::string(op.name) == "TEMP_Init" && e.forced_from_bit == 7) {
        e = Expected{steps.substr(0, steps.find('P') + 1)};
    }

    robustness::Outs outs;
    outs.fill(robustness::kUntouched);
    const int status = op.run(outs);
    SCOPED_TRACE("expected sequence " + e.steps + "\nlog:\n" + simbus::Log());

    ASSERT_EQ(status, e.nack ? I2C_NOACK : I2C_OK);

    // Nothing on the wire beyond the cut sequence and its stop. An endless
    // poll repeats its start and address byte until it gives up.
    const Cost counted = robustness::Counted();
    const Cost cut = robustness::SequenceCost(e.steps);
    const auto stops = static_cast<unsigned long>(std::count(e.steps.begin(), e.steps.end(), 'P'));
    if (e.chip_transmitting) {
        EXPECT_GE(FTSIM_GetCounter(FTSIM_COUNT_STOPS) + 1, stops);
    } else {
        EXPECT_EQ(FTSIM_GetCounter(FTSIM_COUNT_STOPS), stops);
    }
    if (e.polls_forever) {
        const Cost attempt = robustness::StepCost('Q');
        ASSERT_GE(counted.writes, cut.writes + attempt.writes);
        const unsigned long extra = (counted.writes - cut.writes) / attempt.writes;
        EXPECT_EQ(counted, cut + attempt * extra) << extra << " extra poll attempts";
    } else {
        EXPECT_EQ(counted, cut);
    }

    // The last adapter calls: the acknowledge check that failed, then the stop.
    const std::vector<std::string> calls = simbus::CallLines();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls.back(), kStopWaveform);
    if (e.nack) {
        const std::size_t n = calls.size();
        EXPECT_EQ(calls[n - 4], kSampleRise);
        EXPECT_EQ(calls[n - 3].substr(0, 2), "G ");
        EXPECT_EQ(calls[n - 2], kSampleFall);
    }

    // The devices saw a proper bus and it rests released.
    const std::string log = simbus::Log();
    if (!e.chip_transmitting) {
        EXPECT_EQ(log.find("! "), std::string::npos);
        EXPECT_EQ(FTSIM_GetLines(), simbus::kLinesAtRest);
    }
    if (c.fault == Fault::kNackByte) {
        // "S 90+ AA+ Sr 91- P": the k-th byte is the last one, refused, then the stop.
        const std::vector<std::string> lines = simbus::Split(log);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].substr(lines[0].size() - 3), "- P");
    }

    // Out-parameters.
    for (std::size_t i = 0; i < op.outs; ++i) {
        if (e.nack) {
            EXPECT_EQ(outs[i], op.outs_after_nack) << "out-parameter " << i;
        } else {
            EXPECT_NE(outs[i], robustness::kUntouched) << "out-parameter " << i << " not written";
        }
    }
    // A single byte read whose pin reads failed part-way reads 1 from there on.
    const bool single_byte_out = op.outs == 1 && std::count(steps.begin(), steps.end(), 'R') == 1 &&
                                 std::string(op.name) != "TEMP_IsDone";
    if (!e.nack && single_byte_out && e.forced_from_bit >= 0) {
        const int forced = (1 << (8 - e.forced_from_bit)) - 1;
        EXPECT_EQ(outs[0], stored | forced);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultSweep, ::testing::ValuesIn(AllCases()), CaseName);

}  // namespace

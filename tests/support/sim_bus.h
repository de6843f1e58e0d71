// Test support: the link opened once per test process against the simulated
// adapter, and a clean bus for every test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "sim/ftsim.h"

namespace simbus {

// Whole transaction log / adapter call trace since the last clear.
std::string Log();
std::string Calls();

// I2C_Open has run (once per process) and succeeded.
bool LinkOpen();

}  // namespace simbus

// Fixture: the link is open, the bus is empty (no devices, no faults, zero
// latency) and the log, call trace and counters are clear.
class SimBusTest : public ::testing::Test {
protected:
    void SetUp() override;
};

// Test support: the link opened once per test process against the simulated
// adapter, and a clean bus for every test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/ftsim.h"

namespace simbus {

// Whole transaction log / adapter call trace since the last clear.
std::string Log();
std::string Calls();

// The same, one entry per line: a transaction as the devices saw it
// ("S 90+ EE+ P"), or an adapter call ("W 02 03 01 00", "G FF", "G !").
using Lines = std::vector<std::string>;
Lines Split(const std::string &text);  // the non-empty lines of text
inline Lines LogLines() { return Split(Log()); }
inline Lines CallLines() { return Split(Calls()); }

// Clears the log, the call trace and the counters, keeping devices and faults.
void ClearObservations();

// Pin levels of a bus at rest after a stop: SCL low, SDA released by the
// master and high on the bus.
constexpr int kLinesAtRest = 0x06;

// I2C_Open has run (once per process) and succeeded.
bool LinkOpen();

}  // namespace simbus

// Fixture: the link is open, the bus is empty (no devices, no faults, zero
// latency) and the log, call trace and counters are clear.
class SimBusTest : public ::testing::Test {
protected:
    void SetUp() override;
};

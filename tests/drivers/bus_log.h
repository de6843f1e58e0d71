// The simulated devices' transaction log as a list of lines, one per
// transaction, e.g. "S A0+ 23+ Sr A1+ 5A- P".
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "sim_bus.h"

namespace drivers_test {

inline std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::istringstream text(simbus::Log());
    for (std::string line; std::getline(text, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// Pin levels of a bus at rest after a stop: SCL low, SDA released by the
// master and high on the bus.
constexpr int kLinesIdle = 0x06;

}  // namespace drivers_test

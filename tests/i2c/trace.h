// The simulated adapter's call trace and transaction log as lists of lines.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "sim_bus.h"

namespace trace {

using Lines = std::vector<std::string>;

inline Lines Split(const std::string &text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// One line per adapter call: "W 02 03 01 00" (a write and its pin states),
// "G FF" (a pin read and the levels it returned), "G !" (a failed read); "W ! 02" a failed write.
inline Lines Calls() { return Split(simbus::Calls()); }

// One line per transaction, as the devices saw it: "S 90+ EE+ P".
inline Lines Log() { return Split(simbus::Log()); }

inline void Clear() {
    FTSIM_ClearLog();
    FTSIM_ClearCalls();
    FTSIM_ClearCounters();
}

inline unsigned long Writes() { return FTSIM_GetCounter(FTSIM_COUNT_WRITES); }
inline unsigned long PinStates() { return FTSIM_GetCounter(FTSIM_COUNT_PIN_STATES); }
inline unsigned long PinReads() { return FTSIM_GetCounter(FTSIM_COUNT_GETBITMODE); }

}  // namespace trace

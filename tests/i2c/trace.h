// The simulated adapter's call trace and transaction log as lists of lines,
// and the link's adapter-call counters.
#pragma once

#include "sim_bus.h"

namespace trace {

using simbus::Lines;
using simbus::Split;

// One line per adapter call: "W 02 03 01 00" (a write and its pin states),
// "G FF" (a pin read and the levels it returned), "G !" (a failed read); "W ! 02" a failed write.
inline Lines Calls() { return simbus::CallLines(); }

// One line per transaction, as the devices saw it: "S 90+ EE+ P".
inline Lines Log() { return simbus::LogLines(); }

inline void Clear() { simbus::ClearObservations(); }

inline unsigned long Writes() { return FTSIM_GetCounter(FTSIM_COUNT_WRITES); }
inline unsigned long PinStates() { return FTSIM_GetCounter(FTSIM_COUNT_PIN_STATES); }
inline unsigned long PinReads() { return FTSIM_GetCounter(FTSIM_COUNT_GETBITMODE); }

}  // namespace trace

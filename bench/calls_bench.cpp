// Adapter calls per primitive, per device operation and per reading cycle,
// counted by the simulated adapter and shown beside what the waveforms imply
// (one write per condition or byte sent; two writes around one pin read per
// bit clocked in). A count above its waveform figure is a wasted USB round
// trip. From the calls, the time a reading cycle takes on real hardware at a
// USB round trip of 1 ms (full-speed adapters) and 0.2 ms (hi-speed), beside
// the chip's own 750 ms conversion.
//
// The timings are those of the simulator and mean little; the counters are
// the figures.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "driver_operations.h"
#include "i2c/eeprom.h"
#include "i2c/link.h"
#include "i2c/temp.h"
#include "sim/ftsim.h"
#include "sim_setup.h"

namespace {

using robustness::Cost;

constexpr double kFullSpeedCallMs = 1.0;  // one USB round trip, full-speed adapter
constexpr double kHighSpeedCallMs = 0.2;  // one USB round trip, hi-speed adapter
constexpr double kConversionMs = 750.0;   // the thermometer's longest one-shot conversion

struct Row {
    Cost counted;
    Cost implied;
};
std::vector<std::string> g_order;
std::map<std::string, Row> g_rows;

Cost CountedSince() {
    return {FTSIM_GetCounter(FTSIM_COUNT_WRITES), FTSIM_GetCounter(FTSIM_COUNT_PIN_STATES),
            FTSIM_GetCounter(FTSIM_COUNT_GETBITMODE)};
}

// Per-iteration counts as benchmark counters, beside the implied figures.
void Report(benchmark::State &state, const std::string &name, const Cost &implied) {
    const auto iterations = static_cast<unsigned long>(state.iterations());
    const Cost total = CountedSince();
    const Cost per{total.writes / iterations, total.pin_states / iterations, total.pin_reads / iterations};
    state.counters["writes"] = static_cast<double>(per.writes);
    state.counters["pin_states"] = static_cast<double>(per.pin_states);
    state.counters["pin_reads"] = static_cast<double>(per.pin_reads);
    state.counters["implied_writes"] = static_cast<double>(implied.writes);
    state.counters["implied_pin_states"] = static_cast<double>(implied.pin_states);
    state.counters["implied_pin_reads"] = static_cast<double>(implied.pin_reads);
    state.counters["hw_ms_full_speed"] = static_cast<double>(per.Calls()) * kFullSpeedCallMs;
    state.counters["hw_ms_high_speed"] = static_cast<double>(per.Calls()) * kHighSpeedCallMs;
    if (per.writes * iterations != total.writes || per.pin_reads * iterations != total.pin_reads) {
        state.SkipWithError("calls differ between iterations");
    }
    if (!(per == implied)) state.SkipWithError("adapter calls beyond what the waveforms imply");
    g_rows[name] = {per, implied};
}

void Primitive(benchmark::State &state, const robustness::Primitive *primitive) {
    FTSIM_Reset();
    FTSIM_ClearCounters();
    for (auto _ : state) primitive->run();
    Report(state, primitive->name, primitive->cost);
    I2C_Stop();
}

void Operation(benchmark::State &state, const robustness::Operation *op) {
    FTSIM_Reset();
    const int dev = robustness::AddChipFor(*op);
    const bool takes_config_back = op->chip == robustness::Chip::kThermometer;
    robustness::Outs outs{};
    FTSIM_ClearCounters();
    for (auto _ : state) {
        // TEMP_Init writes the configuration only while the chip is not in
        // one-shot mode: take it out again so each run does the same.
        if (takes_config_back) FTSIM_ThermSetConfig(dev, robustness::kThermometerConfig);
        benchmark::DoNotOptimize(op->run(outs));
    }
    Report(state, op->name, robustness::SequenceCost(op->sequence));
}

void ReadingCycle(benchmark::State &state) {
    FTSIM_Reset();
    const int dev = FTSIM_AddThermometer(robustness::kThermometerIndex);
    FTSIM_ThermSetConversion(dev, FTSIM_CONV_READS, 1);  // done at the first look
    int done = 0, value = 0;
    FTSIM_ClearCounters();
    for (auto _ : state) {
        benchmark::DoNotOptimize(TEMP_StartConversion(0));
        benchmark::DoNotOptimize(TEMP_IsDone(0, &done));
        benchmark::DoNotOptimize(TEMP_Read(0, &value));
        benchmark::DoNotOptimize(TEMP_ReadPrecise(0, &value));
    }
    Report(state, "reading cycle", robustness::ReadingCycleCost());
    state.counters["conversion_ms"] = kConversionMs;
}

void PrintTable() {
    std::printf("\n%-22s %15s %15s %15s %9s %9s\n", "operation", "writes", "pin states", "pin reads",
                "ms @1ms", "ms @0.2ms");
    for (const std::string &name : g_order) {
        const auto it = g_rows.find(name);
        if (it == g_rows.end()) continue;
        const Row &r = it->second;
        const auto pair = [](unsigned long counted, unsigned long implied) {
            return std::to_string(counted) + (counted == implied ? " (=)" : " (!= " + std::to_string(implied) + ")");
        };
        std::printf("%-22s %15s %15s %15s %9.1f %9.1f\n", name.c_str(), pair(r.counted.writes, r.implied.writes).c_str(),
                    pair(r.counted.pin_states, r.implied.pin_states).c_str(),
                    pair(r.counted.pin_reads, r.implied.pin_reads).c_str(),
                    static_cast<double>(r.counted.Calls()) * kFullSpeedCallMs,
                    static_cast<double>(r.counted.Calls()) * kHighSpeedCallMs);
    }
    const auto cycle = g_rows.find("reading cycle");
    if (cycle != g_rows.end()) {
        const double calls = static_cast<double>(cycle->second.counted.Calls());
        const double is_done = static_cast<double>(robustness::SequenceCost(robustness::Find("TEMP_IsDone").sequence).Calls());
        std::printf("\nreading cycle on real hardware: %.0f adapter calls = %.0f ms at 1 ms/call, %.0f ms at 0.2 ms/call,"
                    " beside the %.0f ms conversion;\nwhile it converts the done flag is polled about every %.0f ms"
                    " (1 ms/call) or %.1f ms (0.2 ms/call)\n",
                    calls, calls * kFullSpeedCallMs, calls * kHighSpeedCallMs, kConversionMs, is_done * kFullSpeedCallMs,
                    is_done * kHighSpeedCallMs);
    }
}

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    FTSIM_Reset();
    if (I2C_Open() != I2C_OK) {
        std::fprintf(stderr, "I2C_Open failed against the simulated adapter\n");
        return 1;
    }
    EEP_SetKind(1);

    for (const auto &p : robustness::kPrimitives) {
        g_order.emplace_back(p.name);
        benchmark::RegisterBenchmark((std::string("calls/") + p.name).c_str(), Primitive, &p);
    }
    for (const auto &op : robustness::kOperations) {
        g_order.emplace_back(op.name);
        benchmark::RegisterBenchmark((std::string("calls/") + op.name).c_str(), Operation, &op);
    }
    g_order.emplace_back("reading cycle");
    benchmark::RegisterBenchmark("calls/reading cycle", ReadingCycle);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintTable();
    return 0;
}

// Pin states per second through the simulated adapter at zero latency, with
// the call trace and transaction log recording as they do in tests.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "sim/d2xx_entry.h"
#include "sim/ftsim.h"

namespace {

constexpr uint8_t kScl = 0x01;
constexpr uint8_t kSda = 0x02;

FT_HANDLE OpenAdapter() {
    static FT_HANDLE handle = [] {
        FT_HANDLE h = nullptr;
        FT_Open(0, &h);
        FT_SetBaudRate(h, 57600);
        FT_SetBitMode(h, kScl | kSda, 0x01);
        return h;
    }();
    return handle;
}

void AddByte(std::vector<uint8_t> &states, uint8_t value) {
    for (int i = 7; i >= 0; --i) {
        const uint8_t sda = (value >> i) & 1 ? kSda : 0;
        states.insert(states.end(), {sda, static_cast<uint8_t>(sda | kScl), sda});
    }
}

// The call trace and log grow as in a long test run; drop them now and then
// so the figures measure the bus, not the allocator.
void KeepRecordsBounded(unsigned long writes) {
    if (FTSIM_GetCounter(FTSIM_COUNT_WRITES) <= writes) return;
    FTSIM_ClearCalls();
    FTSIM_ClearLog();
    FTSIM_ClearCounters();
}

void ReportPinStates(benchmark::State &state, uint64_t states) {
    state.SetItemsProcessed(static_cast<int64_t>(states));
    state.counters["pin_states_per_s"] = benchmark::Counter(static_cast<double>(states), benchmark::Counter::kIsRate);
}

// One FT_Write per bus condition, as a bit-bang link issues them: start,
// byte, acknowledge clock (two writes around a pin read), ..., stop.
void BM_LinkSizedWrites(benchmark::State &state) {
    FT_HANDLE handle = OpenAdapter();
    FTSIM_Reset();
    const int therm = FTSIM_AddThermometer(0);
    FTSIM_ThermSetConversion(therm, FTSIM_CONV_READS, 1);
    FTSIM_AddEeprom();
    std::vector<std::vector<uint8_t>> writes;
    writes.push_back({kSda, kSda | kScl, kScl, 0});
    for (uint8_t value : {uint8_t{0x90}, uint8_t{0xAC}, uint8_t{0x01}}) {
        writes.emplace_back();
        AddByte(writes.back(), value);
        writes.push_back({kSda, kSda | kScl});
        writes.push_back({kSda});
    }
    writes.push_back({0, kScl, kScl | kSda, kSda});
    uint64_t states = 0;
    uint32_t written = 0;
    unsigned char pins = 0;
    for (auto _ : state) {
        for (auto &w : writes) {
            FT_Write(handle, w.data(), static_cast<uint32_t>(w.size()), &written);
            states += w.size();
            if (w.size() == 2) FT_GetBitMode(handle, &pins);
        }
        KeepRecordsBounded(100000);
    }
    ReportPinStates(state, states);
}
BENCHMARK(BM_LinkSizedWrites);

// Long writes: a whole EEPROM page write per FT_Write (the bus machine alone).
void BM_LongWrites(benchmark::State &state) {
    FT_HANDLE handle = OpenAdapter();
    FTSIM_Reset();
    const int eeprom = FTSIM_AddEeprom();
    FTSIM_EepromSetWriteCycle(eeprom, FTSIM_WC_POLLS, 1);
    std::vector<uint8_t> w = {kSda, kSda | kScl, kScl, 0};
    const auto ack_clock = [&] { w.insert(w.end(), {kSda, kSda | kScl, kSda}); };
    AddByte(w, 0xA0);
    ack_clock();
    AddByte(w, 0x00);
    ack_clock();
    for (int i = 0; i < 16; ++i) {
        AddByte(w, static_cast<uint8_t>(i * 17));
        ack_clock();
    }
    w.insert(w.end(), {0, kScl, kScl | kSda, kSda});
    uint64_t states = 0;
    uint32_t written = 0;
    for (auto _ : state) {
        FT_Write(handle, w.data(), static_cast<uint32_t>(w.size()), &written);
        states += w.size();
        KeepRecordsBounded(20000);
    }
    ReportPinStates(state, states);
}
BENCHMARK(BM_LongWrites);

}  // namespace

BENCHMARK_MAIN();

// Overhead of the library's own code: each primitive and each device
// operation run through the library, against the very same adapter calls
// replayed straight into the adapter library. The adapter only counts (see
// counting_adapter.h), so the difference is what the link and the drivers
// add around their adapter calls: building pin-state runs, acknowledge
// checks, decoding.
//
// At the end a table gives, per operation, the adapter calls, the time
// through the library, the time of the bare replay, and their ratio.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "counting_adapter.h"
#include "driver_operations.h"
#include "i2c/eeprom.h"
#include "i2c/link.h"
#include "platform/dynlib.h"

namespace {

using Status = std::uint32_t;
using WriteFn = Status (*)(void *, const void *, std::uint32_t, std::uint32_t *);
using GetBitModeFn = Status (*)(void *, unsigned char *);
using OpenFn = Status (*)(int, void **);

// The adapter's entry points, found the way the link finds them.
struct Entry {
    WriteFn write = nullptr;
    GetBitModeFn get_bit_mode = nullptr;
    void *handle = nullptr;
} g_entry;

bool BindEntryPoints() {
    void *library = DYNLIB_Load(DYNLIB_ADAPTER_LIBRARY);
    auto open = reinterpret_cast<OpenFn>(DYNLIB_Resolve(library, "FT_Open"));
    g_entry.write = reinterpret_cast<WriteFn>(DYNLIB_Resolve(library, "FT_Write"));
    g_entry.get_bit_mode = reinterpret_cast<GetBitModeFn>(DYNLIB_Resolve(library, "FT_GetBitMode"));
    return open != nullptr && g_entry.write != nullptr && g_entry.get_bit_mode != nullptr &&
           open(0, &g_entry.handle) == 0;
}

// Recorded adapter calls: the bytes of a write, or a pin read (count 0),
// pointing into one flat buffer so that the replay loop is as bare as it gets.
struct Call {
    const unsigned char *bytes;
    std::uint32_t count;
};
struct Calls {
    std::vector<unsigned char> bytes;
    std::vector<Call> calls;
};

template <typename Run>
Calls Record(Run run) {
    COUNTING_ClearRecord();
    COUNTING_Record(1);
    run();
    COUNTING_Record(0);
    Calls recorded;
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < COUNTING_RecordedCalls(); ++i) {
        std::uint32_t count = 0;
        const unsigned char *bytes = COUNTING_RecordedCall(i, &count);
        offsets.push_back(recorded.bytes.size());
        recorded.bytes.insert(recorded.bytes.end(), bytes, bytes + count);
        recorded.calls.push_back({nullptr, count});
    }
    for (std::size_t i = 0; i < offsets.size(); ++i) recorded.calls[i].bytes = recorded.bytes.data() + offsets[i];
    COUNTING_ClearRecord();
    return recorded;
}

void Replay(const Calls &recorded) {
    for (const Call &call : recorded.calls) {
        if (call.count != 0) {
            std::uint32_t written = 0;
            g_entry.write(g_entry.handle, call.bytes, call.count, &written);
        } else {
            unsigned char levels = 0;
            g_entry.get_bit_mode(g_entry.handle, &levels);
            benchmark::DoNotOptimize(levels);
        }
    }
}

// One row of the comparison: a primitive, a driver operation, or the
// reading cycle of the console program.
struct Case {
    std::string name;
    void (*primitive)() = nullptr;
    const robustness::Operation *operation = nullptr;
};

robustness::Outs g_outs{};

// The steps are looked up once: finding them by name on every run would be
// timed as library time.
void ReadingCycle() {
    static const auto steps = [] {
        std::array<const robustness::Operation *, std::size(robustness::kReadingCycle)> found{};
        for (std::size_t i = 0; i < found.size(); ++i) found[i] = &robustness::Find(robustness::kReadingCycle[i]);
        return found;
    }();
    for (const robustness::Operation *step : steps) {
        benchmark::DoNotOptimize(step->run(g_outs));
    }
}

inline void Run(const Case &c) {
    if (c.operation != nullptr) {
        benchmark::DoNotOptimize(c.operation->run(g_outs));
    } else {
        c.primitive();
    }
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (const auto &p : robustness::kPrimitives) cases.push_back({p.name, p.run, nullptr});
    for (const auto &op : robustness::kOperations) cases.push_back({op.name, nullptr, &op});
    cases.push_back({"reading cycle", ReadingCycle, nullptr});
    return cases;
}

// Library and replay in alternating batches within one benchmark, so that
// both see the same machine load. The benchmark's own time is that of one
// batch of each; the counters give the time of one run.
void Compare(benchmark::State &state, const Case &c, const Calls &calls) {
    constexpr int kBatch = 64;
    using Clock = std::chrono::steady_clock;
    Clock::duration library{}, replay{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int i = 0; i < kBatch; ++i) Run(c);
        const auto t1 = Clock::now();
        for (int i = 0; i < kBatch; ++i) Replay(calls);
        const auto t2 = Clock::now();
        library += t1 - t0;
        replay += t2 - t1;
    }
    const double runs = static_cast<double>(state.iterations()) * kBatch;
    const double library_ns = static_cast<double>(std::chrono::nanoseconds(library).count()) / runs;
    const double replay_ns = static_cast<double>(std::chrono::nanoseconds(replay).count()) / runs;
    state.counters["library_ns"] = library_ns;
    state.counters["replay_ns"] = replay_ns;
    state.counters["ratio"] = library_ns / replay_ns;
}

// A USB round trip on a hi-speed adapter: the least an adapter call costs on
// real hardware, against which the library's own time is set.
constexpr double kHighSpeedCallNs = 0.2e6;

// Per operation: adapter calls and the two timings, collected as the runs
// are reported and printed side by side at the end.
struct Figures {
    unsigned long calls = 0;
    double library_ns = 0;
    double replay_ns = 0;
};
std::map<std::string, Figures> g_figures;
std::vector<std::string> g_order;

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(bool repetitions) : ConsoleReporter(OO_Tabular), repetitions_(repetitions) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred) continue;
            // With repetitions, the median stands for the operation.
            if (run.run_type == Run::RT_Aggregate ? run.aggregate_name != "median" : repetitions_) continue;
            const std::string name = run.run_name.function_name;  // "overhead/<op>"
            Figures &f = g_figures[name.substr(name.find('/') + 1)];
            f.library_ns = run.counters.at("library_ns");
            f.replay_ns = run.counters.at("replay_ns");
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-22s %6s %11s %11s %7s %12s %14s\n", "operation", "calls", "library ns",
                    "replay ns", "ratio", "ns per call", "of 0.2 ms/call");
        for (const std::string &op : g_order) {
            const Figures &f = g_figures[op];
            if (f.library_ns <= 0 || f.replay_ns <= 0) continue;
            const double extra = f.library_ns - f.replay_ns;
            const double hardware_ns = static_cast<double>(f.calls) * kHighSpeedCallNs;
            std::printf("%-22s %6lu %11.1f %11.1f %7.3f %12.2f %13.5f%%\n", op.c_str(), f.calls,
                        f.library_ns, f.replay_ns, f.library_ns / f.replay_ns,
                        extra / static_cast<double>(f.calls), 100.0 * extra / hardware_ns);
        }
    }

private:
    bool repetitions_;
};

}  // namespace

int main(int argc, char **argv) {
    // Medians of five runs unless told otherwise: single runs of a few
    // nanoseconds swing by more than the difference sought.
    std::vector<char *> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    bool repeated = true;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0) repeated = std::string(argv[i]) != "--benchmark_repetitions=1";
    }
    args.insert(args.begin() + 1, {repetitions, aggregates});
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    if (I2C_Open() != I2C_OK || !BindEntryPoints()) {
        std::fprintf(stderr, "the counting adapter library was not loaded as libftd2xx.so\n");
        return 1;
    }
    EEP_SetKind(1);

    static std::vector<Calls> recorded;
    const std::vector<Case> cases = Cases();
    recorded.reserve(cases.size());
    for (const Case &c : cases) {
        recorded.push_back(Record([&c] { Run(c); }));
        const Calls &calls = recorded.back();

        // The replay must make exactly the calls the library made.
        COUNTING_ClearTotals();
        Run(c);
        const COUNTING_Totals through_library = COUNTING_GetTotals();
        COUNTING_ClearTotals();
        Replay(calls);
        const COUNTING_Totals replayed = COUNTING_GetTotals();
        if (through_library.writes != replayed.writes || through_library.pin_states != replayed.pin_states ||
            through_library.pin_reads != replayed.pin_reads) {
            std::fprintf(stderr, "%s: replay differs from the library's calls\n", c.name.c_str());
            return 1;
        }

        g_order.push_back(c.name);
        g_figures[c.name].calls = replayed.writes + replayed.pin_reads;
        benchmark::RegisterBenchmark(("overhead/" + c.name).c_str(), [c, &calls](benchmark::State &state) {
            Compare(state, c, calls);
        });
    }

    RatioReporter reporter(repeated);  // plain text: its table follows the runs
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

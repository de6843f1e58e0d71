#include "sim/capture.h"

namespace ftsim {

namespace {
// VCD identifiers of the three wires, in line-bit order.
constexpr char kIds[3] = {'!', '"', '#'};
constexpr const char *kNames[3] = {"scl", "sda_m", "sda"};
}  // namespace

bool Capture::Start(const char *path, unsigned lines) {
    Stop();
    file_ = std::fopen(path, "w");
    if (file_ == nullptr) return false;
    std::fputs("$version simulated bit-bang adapter $end\n$timescale 1 us $end\n$scope module adapter $end\n", file_);
    for (int i = 0; i < 3; ++i) std::fprintf(file_, "$var wire 1 %c %s $end\n", kIds[i], kNames[i]);
    std::fputs("$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n", file_);
    for (unsigned i = 0; i < 3; ++i) std::fprintf(file_, "%u%c\n", (lines >> i) & 1u, kIds[i]);
    std::fputs("$end\n", file_);
    time_ = 0;
    lines_ = lines;
    return true;
}

void Capture::Write(unsigned lines) {
    std::fprintf(file_, "#%llu\n", static_cast<unsigned long long>(time_));
    for (unsigned i = 0; i < 3; ++i) {
        if (((lines ^ lines_) >> i) & 1u) {
            std::fputc('0' + static_cast<int>((lines >> i) & 1u), file_);
            std::fputc(kIds[i], file_);
            std::fputc('\n', file_);
        }
    }
    lines_ = lines;
}

void Capture::Stop() {
    if (file_ == nullptr) return;
    // A closing timestamp one step after the last state, so readers keep it.
    std::fprintf(file_, "#%llu\n", static_cast<unsigned long long>(time_ + 1));
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace ftsim

// VCD capture of the pin states: 1-bit wires scl, sda_m (the master's drive)
// and sda (the bus), one microsecond per pin state. Only changes are written.
#ifndef SIM_CAPTURE_H
#define SIM_CAPTURE_H

#include <cstdint>
#include <cstdio>

namespace ftsim {

class Capture {
public:
    ~Capture() { Stop(); }

    bool Start(const char *path, unsigned lines);
    void Stop();  // writes the closing timestamp
    [[nodiscard]] bool Active() const { return file_ != nullptr; }

    // One pin state was applied; lines: bit 0 scl, bit 1 sda_m, bit 2 sda.
    void Sample(unsigned lines) {
        ++time_;
        if (lines != lines_) Write(lines);
    }

private:
    void Write(unsigned lines);

    std::FILE *file_ = nullptr;
    uint64_t time_ = 0;
    unsigned lines_ = 0;
};

}  // namespace ftsim

#endif

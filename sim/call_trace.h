// The adapter calls as they came ("W 02 03 01 00", "G 07"). Kept as raw
// bytes while the program runs and turned into text only when asked for.
#ifndef SIM_CALL_TRACE_H
#define SIM_CALL_TRACE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ftsim {

class CallTrace {
public:
    void Write(const uint8_t *bytes, uint32_t count, bool ok);
    void GetBitMode(uint8_t pins, bool ok);
    [[nodiscard]] std::string Text() const;
    void Clear() {
        raw_.clear();
        dropped_ = 0;
    }

private:
    static constexpr size_t kMaxRaw = 64u << 20;  // calls beyond this are counted, not kept

    std::vector<uint8_t> raw_;
    unsigned long dropped_ = 0;
};

}  // namespace ftsim

#endif

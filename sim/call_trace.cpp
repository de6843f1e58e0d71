#include "sim/call_trace.h"

#include <cstring>

namespace ftsim {

namespace {
// Record tags in the raw trace.
constexpr uint8_t kTagWrite = 'W';
constexpr uint8_t kTagWriteFailed = 'w';
constexpr uint8_t kTagGet = 'G';
constexpr uint8_t kTagGetFailed = 'g';
constexpr char kHex[] = "0123456789ABCDEF";
}  // namespace

void CallTrace::Write(const uint8_t *bytes, uint32_t count, bool ok) {
    if (raw_.size() + count + 5 > kMaxRaw) {
        ++dropped_;
        return;
    }
    const size_t at = raw_.size();
    raw_.resize(at + 5 + count);
    raw_[at] = ok ? kTagWrite : kTagWriteFailed;
    std::memcpy(&raw_[at + 1], &count, sizeof count);
    if (count != 0) std::memcpy(&raw_[at + 5], bytes, count);
}

void CallTrace::GetBitMode(uint8_t pins, bool ok) {
    if (raw_.size() + 2 > kMaxRaw) {
        ++dropped_;
        return;
    }
    raw_.push_back(ok ? kTagGet : kTagGetFailed);
    raw_.push_back(pins);
}

std::string CallTrace::Text() const {
    std::string text;
    text.reserve(raw_.size() * 3);
    size_t i = 0;
    while (i < raw_.size()) {
        const uint8_t tag = raw_[i];
        if (tag == kTagGet || tag == kTagGetFailed) {
            text += 'G';
            text += ' ';
            if (tag == kTagGet) {
                text += kHex[raw_[i + 1] >> 4];
                text += kHex[raw_[i + 1] & 0x0F];
            } else {
                text += '!';
            }
            text += '\n';
            i += 2;
            continue;
        }
        uint32_t count = 0;
        std::memcpy(&count, &raw_[i + 1], sizeof count);
        text += tag == kTagWrite ? "W" : "W !";
        for (uint32_t k = 0; k < count; ++k) {
            const uint8_t b = raw_[i + 5 + k];
            text += ' ';
            text += kHex[b >> 4];
            text += kHex[b & 0x0F];
        }
        text += '\n';
        i += 5 + count;
    }
    if (dropped_ != 0) text += "... " + std::to_string(dropped_) + " more calls not kept\n";
    return text;
}

}  // namespace ftsim

// What the devices saw: one text line per transaction ("S 90+ AA+ Sr 91+
// 19+ 80- P") plus "! ..." lines for protocol violations. Built per bus
// event, never per pin state.
#ifndef SIM_TRANSACTION_LOG_H
#define SIM_TRANSACTION_LOG_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace ftsim {

class TransactionLog {
public:
    ~TransactionLog();

    void Start(bool repeated);  // "S", or " Sr" inside a transaction
    void Stop();           // " P" and the line is complete
    void Byte(uint8_t value);
    void Acknowledge(bool acknowledged);
    void Violation(const char *text);

    // Whole log, the unfinished transaction included (without its newline).
    [[nodiscard]] std::string Text() const { return text_ + line_; }
    void Clear();

    // Also append each finished line to this file, flushed at once (nullptr: none).
    bool SetSink(const char *path);

private:
    void Emit(const std::string &line);

    std::string text_;
    std::string line_;
    std::FILE *sink_ = nullptr;
    static constexpr size_t kMaxText = 16u << 20;  // beyond this, older text is dropped
};

}  // namespace ftsim

#endif

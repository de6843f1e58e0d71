#include "sim/transaction_log.h"

namespace ftsim {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";
}

TransactionLog::~TransactionLog() {
    if (sink_ != nullptr) std::fclose(sink_);
}

void TransactionLog::Start(bool repeated) { line_ += repeated ? " Sr" : "S"; }

void TransactionLog::Stop() {
    line_ += " P";
    Emit(line_);
    line_.clear();
}

void TransactionLog::Byte(uint8_t value) {
    const char text[3] = {' ', kHex[value >> 4], kHex[value & 0x0F]};
    line_.append(text, sizeof text);
}

void TransactionLog::Acknowledge(bool acknowledged) { line_ += acknowledged ? '+' : '-'; }

void TransactionLog::Violation(const char *text) {
    std::string line = "! ";
    line += text;
    Emit(line);
}

void TransactionLog::Emit(const std::string &line) {
    if (text_.size() > kMaxText) text_.erase(0, text_.find('\n', text_.size() / 2) + 1);
    text_ += line;
    text_ += '\n';
    if (sink_ != nullptr) {
        std::fputs(line.c_str(), sink_);
        std::fputc('\n', sink_);
        std::fflush(sink_);
    }
}

void TransactionLog::Clear() {
    text_.clear();
    line_.clear();
}

bool TransactionLog::SetSink(const char *path) {
    if (sink_ != nullptr) std::fclose(sink_);
    sink_ = nullptr;
    if (path == nullptr) return true;
    sink_ = std::fopen(path, "a");
    return sink_ != nullptr;
}

}  // namespace ftsim

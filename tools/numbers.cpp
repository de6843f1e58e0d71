#include "numbers.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "bustool.h"

namespace bustool {

namespace {

bool IsDigit(char c, int base) {
    if (c >= '0' && c <= '9') {
        return true;
    }
    return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

std::string Shown(long value, Radix radix) {
    return radix == Radix::kHex ? Hex(value) : std::to_string(value);
}

}  // namespace

std::optional<long> ParseNumber(const std::string &text) {
    int base = 10;
    std::string digits = text;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        digits = text.substr(2);
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    for (const char c : digits) {
        if (!IsDigit(c, base)) {
            return std::nullopt;
        }
    }
    errno = 0;
    const long value = std::strtol(digits.c_str(), nullptr, base);
    if (errno == ERANGE) {
        return std::nullopt;
    }
    return value;
}

long ParseArgument(const std::string &name, const std::string &text, long min, long max, Radix shown) {
    const std::optional<long> value = ParseNumber(text);
    if (!value) {
        FailUsage(name + " invalide : '" + text + "' (nombre decimal, ou hexadecimal en 0x..)");
    }
    if (*value < min || *value > max) {
        FailUsage(name + " hors limites : " + text + " (de " + Shown(min, shown) + " a " + Shown(max, shown) +
                  ")");
    }
    return *value;
}

std::string Hex(long value) {
    if (value == 0) {
        return "0";
    }
    char text[24];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
    return text;
}

std::string HexDigits(long value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*lx", digits, static_cast<unsigned long>(value));
    return text;
}

}  // namespace bustool

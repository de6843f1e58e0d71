#include "temperature_text.h"

#include <cstdio>
#include <cstdlib>

namespace bustool {

namespace {
constexpr long long kStepsPerDegree = 256;  // the chip's unit: 1/256 degree
constexpr long long kHundredths = 100;      // two decimals
constexpr int kWidth = 5;
}  // namespace

// The exact value is value / 256, with at most eight decimals. Working on the
// integer keeps the rounding exact: the remainder of hundredths * 256 decides,
// and a remainder of exactly one half (.125, .375, ...) rounds up in magnitude.
std::string FormatCelsius(int value_256ths) {
    const bool negative = value_256ths < 0;
    const long long magnitude = std::llabs(static_cast<long long>(value_256ths)) * kHundredths;
    long long hundredths = magnitude / kStepsPerDegree;
    if ((magnitude % kStepsPerDegree) * 2 >= kStepsPerDegree) {
        ++hundredths;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%02lld", negative ? "-" : "", hundredths / kHundredths,
                  hundredths % kHundredths);
    char padded[40];
    std::snprintf(padded, sizeof padded, "%*s", kWidth, text);
    return padded;
}

}  // namespace bustool

#include "app/celsius_text.h"

#include <cstdio>

namespace thermo {

namespace {
constexpr long long kUnitsPerDegree = 256;
constexpr long long kHundredths = 100;
constexpr int kWidth = 5;
}  // namespace

CelsiusText FormatCelsius256ths(int value) {
    const bool negative = value < 0;
    const long long magnitude = negative ? -static_cast<long long>(value) : value;
    // magnitude / 256 has at most eight decimals; adding half a hundredth
    // before truncating rounds on the first dropped digit, 5 and up away
    // from zero.
    const long long hundredths = (magnitude * kHundredths + kUnitsPerDegree / 2) / kUnitsPerDegree;

    CelsiusText number{};
    std::snprintf(number.data(), number.size(), "%s%lld.%02lld", negative ? "-" : "",
                  hundredths / kHundredths, hundredths % kHundredths);
    CelsiusText text{};
    std::snprintf(text.data(), text.size(), "%*s", kWidth, number.data());
    return text;
}

}  // namespace thermo

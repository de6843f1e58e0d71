// Temperatures as the console shows them: "%5.2f" of value / 256 with ties
// rounded away from zero, worked out exactly.
#include <gtest/gtest.h>

#include <string>

#include "app/celsius_text.h"

namespace {

struct Case {
    int value;  // 1/256 degC
    const char *text;
};

constexpr Case kCases[] = {
    {6528, "25.50"},    // a typical reading
    {6489, "25.35"},    // 25.34765625: the dropped digits round up
    {65408, "255.50"},  // widest two-byte reading below the top
    {65535, "256.00"},  // 255.99609375 rounds into a sixth character
    {-64, "-0.25"},     // exactly five characters: no padding
    {-1, "-0.00"},      // keeps its sign when it rounds to zero
    {1408, " 5.50"},    // padded on the left to five characters
    {0, " 0.00"},
    {2592, "10.13"},    // 10.125: a tie, away from zero
    {5920, "23.13"},    // 23.125 (glibc's printf gives 23.12)
    {5984, "23.38"},    // 23.375
    {6048, "23.63"},    // 23.625
    {6112, "23.88"},    // 23.875
    {-5920, "-23.13"},  // ties away from zero on the negative side too
    {-2592, "-10.13"},
    {-65088, "-254.25"},  // lowest high-resolution reading
    {65472, "255.75"},    // highest high-resolution reading
    {1, " 0.00"},         // 0.00390625
    {2, " 0.01"},         // 0.0078125
    {-2, "-0.01"},
    {2147483647, "8388608.00"},
    {-2147483647 - 1, "-8388608.00"},
};

TEST(CelsiusText, PrintsEveryValueAsExactDecimalRoundingTiesAwayFromZero) {
    for (const Case &c : kCases) {
        EXPECT_EQ(std::string(thermo::FormatCelsius256ths(c.value).data()), c.text) << "value " << c.value;
    }
}

// Every value a reading can take, against its exact eight-decimal expansion
// rounded by hand on the third decimal digit.
TEST(CelsiusText, MatchesTheExactExpansionOverTheWholeReadingRange) {
    for (int value = -65088; value <= 65535; ++value) {
        const long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
        // 8 decimals are exact: magnitude / 256 = magnitude * 390625 / 10^8.
        const long long e8 = magnitude * 390625;
        const long long whole = e8 / 100000000;
        long long cents = (e8 / 1000000) % 100;
        const int third = static_cast<int>((e8 / 100000) % 10);
        long long up = whole;
        if (third >= 5 && ++cents == 100) {
            cents = 0;
            ++up;
        }
        char expected[32];
        std::snprintf(expected, sizeof expected, "%5s",
                      ((value < 0 ? "-" : "") + std::to_string(up) + "." + (cents < 10 ? "0" : "") +
                       std::to_string(cents))
                          .c_str());
        ASSERT_EQ(std::string(thermo::FormatCelsius256ths(value).data()), expected) << "value " << value;
    }
}

}  // namespace

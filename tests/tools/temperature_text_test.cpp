#include <gtest/gtest.h>

#include "temperature_text.h"

namespace {

// value in 1/256 degree -> what "%5.2f" shows, ties away from zero.
struct Case {
    int value;
    const char *text;
};

TEST(TemperatureText, PrintsLikeTheConsoleProgram) {
    const Case cases[] = {
        {6528, "25.50"},   {6489, "25.35"},   {65408, "255.50"}, {-64, "-0.25"},  {2592, "10.13"},
        {5920, "23.13"},   {5984, "23.38"},   {-2592, "-10.13"}, {-1, "-0.00"},   {65535, "256.00"},
        {1408, " 5.50"},   {0, " 0.00"},      {-65088, "-254.25"}, {65472, "255.75"}, {1, " 0.00"},
        {2, " 0.01"},      {-2, "-0.01"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(bustool::FormatCelsius(c.value), c.text) << "value " << c.value;
    }
}

}  // namespace

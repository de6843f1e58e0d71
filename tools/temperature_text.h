// A temperature in 1/256 degree Celsius as the console thermometer prints it
// with "%5.2f": at least five characters, two decimals, ties away from zero,
// and a minus sign even when the magnitude rounds to zero ("-0.00").
#pragma once

#include <string>

namespace bustool {

std::string FormatCelsius(int value_256ths);

}  // namespace bustool

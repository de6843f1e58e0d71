// Temperatures as the console shows them.
#pragma once

#include <array>

namespace thermo {

// Room for the widest value: "-8388608.00" and the terminating NUL.
using CelsiusText = std::array<char, 16>;

// A temperature in 1/256 degC as "%5.2f" would show value / 256.0 if it
// rounded on the exact decimal expansion: ties (.125, .375, .625, .875) go
// away from zero, a negative value keeps its minus sign even when it rounds
// to 0.00, and the result is padded with blanks on the left to 5 characters.
// Worked out in integers, so it does not depend on the C library's rounding
// (glibc rounds ties to even: 23.125 would show as 23.12).
CelsiusText FormatCelsius256ths(int value);

}  // namespace thermo

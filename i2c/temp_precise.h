// High-resolution temperature of a DS1621-style thermometer from its
// registers. Private to the thermometer driver; kept apart so that it can be
// checked on its own.
#pragma once

namespace thermometer {

// After a one-shot conversion the chip holds the whole degrees t (the
// temperature register's first byte), the count left in its counter and the
// count per degree (slope). The datasheet's
//   T = t - 0.25 + (slope - count) / slope   [degC]
// in 1/256 degC, with the fraction worked out in double precision and
// truncated toward zero. A slope of 0 (no valid conversion) drops the fraction.
constexpr int PreciseTemperature256ths(int whole_degrees, int slope, int count) {
    constexpr int kUnitsPerDegree = 256;
    constexpr int kQuarterDegree = 64;  // the datasheet's -0.25
    const int fraction =
        slope == 0 ? 0 : static_cast<int>(static_cast<double>(slope - count) * kUnitsPerDegree / slope);
    return kUnitsPerDegree * whole_degrees - kQuarterDegree + fraction;
}

}  // namespace thermometer

// Numbers on the command line: decimal ("42") or hexadecimal ("0x2a").
#pragma once

#include <optional>
#include <string>

namespace bustool {

enum class Radix { kDecimal, kHex };  // how a range is shown in messages

// The value of `text`, or nothing if it is not a plain number (no sign, no
// blanks, no suffix) or does not fit in a long.
std::optional<long> ParseNumber(const std::string &text);

// The value of argument `name`, checked against [min, max]; anything else is a
// usage error naming the argument and the accepted range.
long ParseArgument(const std::string &name, const std::string &text, long min, long max,
                   Radix shown = Radix::kHex);

// "0x2a" (or "0" for zero), as the rest of the output shows numbers.
std::string Hex(long value);

// "0x" and at least `digits` hex digits: a bus address ("0x90", digits 2) or
// an EEPROM address or port base ("0x07f", "0x378", digits 3).
std::string HexDigits(long value, int digits);

}  // namespace bustool

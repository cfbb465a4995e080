#pragma once

#include <string>

namespace GT {

// The text forms of numbers in the settings store. Stored texts may have been edited by hand,
// so reading is lenient: text that is not a number reads as 0, never as an error.

// Decimal, with a "-" for negative values.
std::string IntegerText(long value);
// Fixed-point with 15 decimals: 0.18 becomes "0.180000000000000". Independent of the locale,
// so that a store written under one locale reads back under another.
std::string RealText(double value);

// Leading white space, an optional "-", then decimal, "0x" hexadecimal or leading-zero octal
// digits: "0x3" is 3, "010" is 8. Values beyond the range of long stop at its limits.
long ReadIntegerText(const std::string& text);
// Leading white space, an optional "-", then either "0x" hexadecimal digits with an optional "."
// and up to 7 hexadecimal fraction digits (a 28-bit binary fraction), or a decimal number.
double ReadRealText(const std::string& text);

} // namespace GT

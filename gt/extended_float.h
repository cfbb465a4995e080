#pragma once

#include <array>
#include <cstdint>

namespace GT {

// The 80-bit IEEE 754 extended-precision number, as ten bytes least significant first: eight
// bytes of significand with an explicit integer bit, then sign and 15-bit exponent (bias 16383).
using CExtendedBytes = std::array<std::uint8_t, 10>;

// Rounds to nearest, ties to even; zeros, infinities and NaNs map to their double counterparts,
// values beyond the double range become infinities and values below it zeros or subnormals.
// Done in integer arithmetic so the result does not depend on the compiler's long double.
double ExtendedToDouble(const CExtendedBytes& bytes);

// Exact: every double is an extended-precision number.
CExtendedBytes DoubleToExtended(double value);

} // namespace GT

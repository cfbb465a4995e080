#include "gt/extended_float.h"

#include <bit>
#include <limits>

namespace GT {

namespace {

constexpr int ExtendedBias = 16383;
constexpr int DoubleBias = 1023;
constexpr std::uint64_t IntegerBit = std::uint64_t{1} << 63;
constexpr std::uint64_t DoubleFractionMask = (std::uint64_t{1} << 52) - 1;

std::uint64_t Significand(const CExtendedBytes& bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 8; i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// Shifts right by `shift` bits, rounding to nearest with ties to even.
std::uint64_t ShiftRightRounded(std::uint64_t value, int shift) {
    if (shift >= 65) {
        return 0; // below half of the last unit kept
    }
    std::uint64_t kept = shift == 64 ? 0 : value >> shift;
    std::uint64_t dropped = shift == 64 ? value : value & ((std::uint64_t{1} << shift) - 1);
    std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (dropped > half || (dropped == half && (kept & 1) != 0)) {
        ++kept;
    }
    return kept;
}

} // namespace

double ExtendedToDouble(const CExtendedBytes& bytes) {
    const int signAndExponent = bytes[8] | (bytes[9] << 8);
    const std::uint64_t sign = static_cast<std::uint64_t>(signAndExponent >> 15) << 63;
    const int exponentField = signAndExponent & 0x7FFF;
    std::uint64_t significand = Significand(bytes);

    if (exponentField == 0x7FFF) {
        const std::uint64_t fraction = significand & ~IntegerBit;
        if (significand == IntegerBit) {
            return std::bit_cast<double>(sign | (std::uint64_t{0x7FF} << 52));
        }
        // Keep the top of the payload and make it quiet, as a hardware conversion does.
        return std::bit_cast<double>(sign | (std::uint64_t{0x7FF} << 52) |
                                     (std::uint64_t{1} << 51) | (fraction >> 11));
    }
    if (significand == 0) {
        return std::bit_cast<double>(sign);
    }

    // value = significand * 2^(exponent - 63), with the integer bit moved to bit 63.
    const int leadingZeros = std::countl_zero(significand);
    significand <<= leadingZeros;
    const int exponent = (exponentField == 0 ? 1 : exponentField) - ExtendedBias - leadingZeros;

    if (exponent > DoubleBias) {
        return std::bit_cast<double>(sign | (std::uint64_t{0x7FF} << 52));
    }
    // A normal double keeps 53 bits (shift 11); below 2^-1022 fewer bits survive.
    const int shift = exponent >= 1 - DoubleBias ? 11 : 11 + (1 - DoubleBias - exponent);
    std::uint64_t kept = ShiftRightRounded(significand, shift);
    if (shift > 11) {
        // Subnormal: the kept bits are the stored fraction; a carry into bit 52 lands exactly
        // on the smallest normal number's encoding.
        return std::bit_cast<double>(sign | kept);
    }
    int biased = exponent + DoubleBias;
    if (kept == (std::uint64_t{1} << 53)) {
        kept >>= 1;
        ++biased;
    }
    if (biased >= 0x7FF) {
        return std::bit_cast<double>(sign | (std::uint64_t{0x7FF} << 52));
    }
    return std::bit_cast<double>(sign | (static_cast<std::uint64_t>(biased) << 52) |
                                 (kept & DoubleFractionMask));
}

CExtendedBytes DoubleToExtended(double value) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const int sign = static_cast<int>(bits >> 63);
    const int exponentField = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & DoubleFractionMask;

    int exponent = 0; // extended exponent field
    std::uint64_t significand = 0;
    if (exponentField == 0x7FF) {
        exponent = 0x7FFF;
        significand = fraction == 0 ? IntegerBit : IntegerBit | (fraction << 11);
    } else if (exponentField != 0) {
        exponent = exponentField - DoubleBias + ExtendedBias;
        significand = IntegerBit | (fraction << 11);
    } else if (fraction != 0) {
        const int leadingZeros = std::countl_zero(fraction);
        significand = fraction << leadingZeros;
        exponent = (63 - leadingZeros) - 1074 + ExtendedBias;
    }

    CExtendedBytes bytes{};
    for (std::size_t i = 0; i < 8; ++i) {
        bytes[i] = static_cast<std::uint8_t>(significand >> (8 * i));
    }
    const int signAndExponent = (sign << 15) | exponent;
    bytes[8] = static_cast<std::uint8_t>(signAndExponent);
    bytes[9] = static_cast<std::uint8_t>(signAndExponent >> 8);
    return bytes;
}

} // namespace GT

#pragma once

#include "sl/samples/sample_type.h"

#include <cstdint>
#include <cstring>

namespace SL {

namespace Detail {

inline std::uint16_t ReverseBytes(std::uint16_t value) {
    return __builtin_bswap16(value);
}
inline std::uint32_t ReverseBytes(std::uint32_t value) {
    return __builtin_bswap32(value);
}
inline std::uint64_t ReverseBytes(std::uint64_t value) {
    return __builtin_bswap64(value);
}

// Loads or stores a plain scalar, reversing its bytes as a whole when asked.
template <class T, class Raw>
inline T LoadScalar(const std::uint8_t* bytes, bool reverse) {
    static_assert(sizeof(T) == sizeof(Raw));
    Raw raw;
    std::memcpy(&raw, bytes, sizeof raw);
    if (reverse) {
        raw = ReverseBytes(raw);
    }
    T value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

template <class T, class Raw>
inline void StoreScalar(T value, std::uint8_t* bytes, bool reverse) {
    static_assert(sizeof(T) == sizeof(Raw));
    Raw raw;
    std::memcpy(&raw, &value, sizeof raw);
    if (reverse) {
        raw = ReverseBytes(raw);
    }
    std::memcpy(bytes, &raw, sizeof raw);
}

} // namespace Detail

// Turns the bytes of one sample into its value and back. `reverse` is true for big-endian data:
// this machine is little-endian, so big-endian samples are byte-reversed on every access.
// Callers guarantee that SampleWidth<Tag> bytes are addressable.
template <int Tag>
struct CSampleBytes;

template <>
struct CSampleBytes<CSampleTag::Integer8> {
    // One byte has no byte order.
    static std::uint8_t Load(const std::uint8_t* bytes, bool) { return bytes[0]; }
    static void Store(std::uint8_t value, std::uint8_t* bytes, bool) { bytes[0] = value; }
};

template <>
struct CSampleBytes<CSampleTag::Integer16> {
    static std::int16_t Load(const std::uint8_t* bytes, bool reverse) {
        return Detail::LoadScalar<std::int16_t, std::uint16_t>(bytes, reverse);
    }
    static void Store(std::int16_t value, std::uint8_t* bytes, bool reverse) {
        Detail::StoreScalar<std::int16_t, std::uint16_t>(value, bytes, reverse);
    }
};

template <>
struct CSampleBytes<CSampleTag::Integer24> {
    // The most significant byte is sign-extended into the 32-bit value.
    static std::int32_t Load(const std::uint8_t* bytes, bool reverse) {
        const std::uint8_t low = reverse ? bytes[2] : bytes[0];
        const std::uint8_t high = reverse ? bytes[0] : bytes[2];
        return static_cast<std::int32_t>(static_cast<std::int8_t>(high)) * 65536 +
               static_cast<std::int32_t>(bytes[1]) * 256 + low;
    }
    // Only the lower 24 bits of the value are kept.
    static void Store(std::int32_t value, std::uint8_t* bytes, bool reverse) {
        const auto bits = static_cast<std::uint32_t>(value);
        const auto low = static_cast<std::uint8_t>(bits);
        const auto middle = static_cast<std::uint8_t>(bits >> 8);
        const auto high = static_cast<std::uint8_t>(bits >> 16);
        bytes[0] = reverse ? high : low;
        bytes[1] = middle;
        bytes[2] = reverse ? low : high;
    }
};

template <>
struct CSampleBytes<CSampleTag::Integer32> {
    static std::int32_t Load(const std::uint8_t* bytes, bool reverse) {
        return Detail::LoadScalar<std::int32_t, std::uint32_t>(bytes, reverse);
    }
    static void Store(std::int32_t value, std::uint8_t* bytes, bool reverse) {
        Detail::StoreScalar<std::int32_t, std::uint32_t>(value, bytes, reverse);
    }
};

template <>
struct CSampleBytes<CSampleTag::Float32> {
    static float Load(const std::uint8_t* bytes, bool reverse) {
        return Detail::LoadScalar<float, std::uint32_t>(bytes, reverse);
    }
    static void Store(float value, std::uint8_t* bytes, bool reverse) {
        Detail::StoreScalar<float, std::uint32_t>(value, bytes, reverse);
    }
};

template <>
struct CSampleBytes<CSampleTag::Float64> {
    static double Load(const std::uint8_t* bytes, bool reverse) {
        return Detail::LoadScalar<double, std::uint64_t>(bytes, reverse);
    }
    static void Store(double value, std::uint8_t* bytes, bool reverse) {
        Detail::StoreScalar<double, std::uint64_t>(value, bytes, reverse);
    }
};

// Two-component kinds keep their component order; each component has its own byte order.
template <>
struct CSampleBytes<CSampleTag::Complex32> {
    static std::complex<float> Load(const std::uint8_t* bytes, bool reverse) {
        return {Detail::LoadScalar<float, std::uint32_t>(bytes, reverse),
                Detail::LoadScalar<float, std::uint32_t>(bytes + 4, reverse)};
    }
    static void Store(std::complex<float> value, std::uint8_t* bytes, bool reverse) {
        Detail::StoreScalar<float, std::uint32_t>(value.real(), bytes, reverse);
        Detail::StoreScalar<float, std::uint32_t>(value.imag(), bytes + 4, reverse);
    }
};

template <>
struct CSampleBytes<CSampleTag::Complex64> {
    static std::complex<double> Load(const std::uint8_t* bytes, bool reverse) {
        return {Detail::LoadScalar<double, std::uint64_t>(bytes, reverse),
                Detail::LoadScalar<double, std::uint64_t>(bytes + 8, reverse)};
    }
    static void Store(std::complex<double> value, std::uint8_t* bytes, bool reverse) {
        Detail::StoreScalar<double, std::uint64_t>(value.real(), bytes, reverse);
        Detail::StoreScalar<double, std::uint64_t>(value.imag(), bytes + 8, reverse);
    }
};

template <>
struct CSampleBytes<CSampleTag::Point64> {
    static CSamplePoint Load(const std::uint8_t* bytes, bool reverse) {
        return {Detail::LoadScalar<double, std::uint64_t>(bytes, reverse),
                Detail::LoadScalar<double, std::uint64_t>(bytes + 8, reverse)};
    }
    static void Store(CSamplePoint value, std::uint8_t* bytes, bool reverse) {
        Detail::StoreScalar<double, std::uint64_t>(value.x, bytes, reverse);
        Detail::StoreScalar<double, std::uint64_t>(value.y, bytes + 8, reverse);
    }
};

} // namespace SL

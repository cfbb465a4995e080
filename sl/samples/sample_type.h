#pragma once

#include "sl/model/bit_depth.h"

#include <complex>
#include <cstdint>
#include <type_traits>

namespace SL {

// The sample-type tags that parameterise the sample framework. A tag is the SL::CBitDepth value
// of the representation: (kind << 16) | bits per sample.
struct CSampleTag {
    static constexpr int Integer8 = 0x10008;
    static constexpr int Integer16 = 0x10010;
    static constexpr int Integer24 = 0x10018;
    static constexpr int Integer32 = 0x10020;
    static constexpr int Float32 = 0x20020;
    static constexpr int Float64 = 0x20040;
    static constexpr int Complex32 = 0x40040;
    static constexpr int Complex64 = 0x40080;
    static constexpr int Point64 = 0x80080;
};

// The bytes one sample of a bit-depth code occupies in a stream.
constexpr int SampleWidthOf(int bitDepthCode) {
    return (bitDepthCode >> 3) & 0x1FFF;
}

// A sample of the point kind: a position and the value there.
struct CSamplePoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const CSamplePoint&, const CSamplePoint&) = default;
};

// The in-memory value type of each tag. 24-bit samples are held sign-extended in 32 bits.
template <int Tag>
struct CSampleType;

template <>
struct CSampleType<CSampleTag::Integer8> {
    using Value = std::uint8_t;
};
template <>
struct CSampleType<CSampleTag::Integer16> {
    using Value = std::int16_t;
};
template <>
struct CSampleType<CSampleTag::Integer24> {
    using Value = std::int32_t;
};
template <>
struct CSampleType<CSampleTag::Integer32> {
    using Value = std::int32_t;
};
template <>
struct CSampleType<CSampleTag::Float32> {
    using Value = float;
};
template <>
struct CSampleType<CSampleTag::Float64> {
    using Value = double;
};
template <>
struct CSampleType<CSampleTag::Complex32> {
    using Value = std::complex<float>;
};
template <>
struct CSampleType<CSampleTag::Complex64> {
    using Value = std::complex<double>;
};
template <>
struct CSampleType<CSampleTag::Point64> {
    using Value = CSamplePoint;
};

template <int Tag>
using SampleValue = typename CSampleType<Tag>::Value;

template <int Tag>
inline constexpr int SampleWidth = SampleWidthOf(Tag);

// The tags that have buffers, iterators, converters and transformers.
template <int Tag>
inline constexpr bool IsStreamableSampleTag =
    Tag == CSampleTag::Integer8 || Tag == CSampleTag::Integer16 || Tag == CSampleTag::Integer24 ||
    Tag == CSampleTag::Integer32 || Tag == CSampleTag::Float32 || Tag == CSampleTag::Float64;


// Calls visit(std::integral_constant<int, Tag>{}) for the streamable tag equal to the bit-depth
// code and returns its result, or returns `otherwise` for any other code.
template <class Result, class Visitor>
Result VisitStreamableTag(int bitDepthCode, Visitor&& visit, Result otherwise = Result{}) {
    switch (bitDepthCode) {
    case CSampleTag::Integer8:
        return visit(std::integral_constant<int, CSampleTag::Integer8>{});
    case CSampleTag::Integer16:
        return visit(std::integral_constant<int, CSampleTag::Integer16>{});
    case CSampleTag::Integer24:
        return visit(std::integral_constant<int, CSampleTag::Integer24>{});
    case CSampleTag::Integer32:
        return visit(std::integral_constant<int, CSampleTag::Integer32>{});
    case CSampleTag::Float32:
        return visit(std::integral_constant<int, CSampleTag::Float32>{});
    case CSampleTag::Float64:
        return visit(std::integral_constant<int, CSampleTag::Float64>{});
    default:
        return otherwise;
    }
}

} // namespace SL

#pragma once

#include "gt/enumeration.h"
#include "gt/pair_table.h"

#include <optional>
#include <string>

namespace SL {

// The numeric representation of one sample value: (kind << 16) | bits per value, with the kinds
// 1 integer, 2 floating point, 4 complex and 8 point. The sample framework uses these values as
// its compile-time sample-type tags.
class CBitDepth : public GT::CEnumeration<CBitDepth> {
public:
    using CEnumeration::CEnumeration;

    static constexpr int IntegerKind = 0x10000;
    static constexpr int FloatKind = 0x20000;
    static constexpr int ComplexKind = 0x40000;
    static constexpr int PointKind = 0x80000;

    static const GT::CPairTable<int, std::string>& GetTable();

    // The representation of an integer or floating-point sample of that many bits, as a file
    // header states it, or nothing when the combination is not listed (for example 12 integer
    // bits or 16 floating-point bits). Readers of untrusted files use these: a header is not an
    // exceptional event.
    static std::optional<CBitDepth> FindIntegerBits(int bits) {
        return FindKindAndBits(IntegerKind, bits);
    }
    static std::optional<CBitDepth> FindFloatBits(int bits) {
        return FindKindAndBits(FloatKind, bits);
    }

    int GetKind() const { return GetValue() & ~0xFFFF; }
    int GetBits() const { return GetValue() & 0xFFFF; }
    // The bytes one sample occupies in a stream.
    int GetBytesPerSample() const { return (GetValue() >> 3) & 0x1FFF; }

    static const CBitDepth NONE;
    static const CBitDepth INTEGER8;
    static const CBitDepth INTEGER16;
    static const CBitDepth INTEGER24;
    static const CBitDepth INTEGER32;
    static const CBitDepth FLOAT32;
    static const CBitDepth FLOAT64;
    static const CBitDepth COMPLEX32;
    static const CBitDepth COMPLEX64;
    static const CBitDepth POINT64;

private:
    static std::optional<CBitDepth> FindKindAndBits(int kind, int bits);
};

} // namespace SL

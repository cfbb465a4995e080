#include "sl/model/bit_depth.h"

namespace SL {

const GT::CPairTable<int, std::string>& CBitDepth::GetTable() {
    // Never destroyed, so that the table outlives every enumeration object.
    static const auto* const table = new GT::CPairTable<int, std::string>(
        {
            {0x00000, "NONE"},
            {0x10008, "INTEGER8"},
            {0x10010, "INTEGER16"},
            {0x10018, "INTEGER24"},
            {0x10020, "INTEGER32"},
            {0x20020, "FLOAT32"},
            {0x20040, "FLOAT64"},
            {0x40040, "COMPLEX32"},
            {0x40080, "COMPLEX64"},
            {0x80080, "POINT64"},
        },
        {-1, ""});
    return *table;
}

std::optional<CBitDepth> CBitDepth::FindKindAndBits(int kind, int bits) {
    // A bit count that does not fit the lower 16 bits would alias another kind.
    if (bits < 0 || bits > 0xFFFF || !IsLegal(kind | bits)) {
        return std::nullopt;
    }
    return CBitDepth(kind | bits);
}

constinit const CBitDepth CBitDepth::NONE{0x00000, CListedValue{}};
constinit const CBitDepth CBitDepth::INTEGER8{0x10008, CListedValue{}};
constinit const CBitDepth CBitDepth::INTEGER16{0x10010, CListedValue{}};
constinit const CBitDepth CBitDepth::INTEGER24{0x10018, CListedValue{}};
constinit const CBitDepth CBitDepth::INTEGER32{0x10020, CListedValue{}};
constinit const CBitDepth CBitDepth::FLOAT32{0x20020, CListedValue{}};
constinit const CBitDepth CBitDepth::FLOAT64{0x20040, CListedValue{}};
constinit const CBitDepth CBitDepth::COMPLEX32{0x40040, CListedValue{}};
constinit const CBitDepth CBitDepth::COMPLEX64{0x40080, CListedValue{}};
constinit const CBitDepth CBitDepth::POINT64{0x80080, CListedValue{}};

} // namespace SL

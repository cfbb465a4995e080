#pragma once

#include "gt/enumeration.h"
#include "gt/pair_table.h"

#include <string>

namespace SL {

// How a sound plays through its loop. Every reversed mode (text ending in "R") is its forward
// mode plus 8.
class CLoopMode : public GT::CEnumeration<CLoopMode> {
public:
    using CEnumeration::CEnumeration;

    static constexpr int ReverseFlag = 8;

    static const GT::CPairTable<int, std::string>& GetTable();

    bool IsReverse() const { return (GetValue() & ReverseFlag) != 0; }

    static const CLoopMode ONE_SHOT;         // "1SHOT"
    static const CLoopMode FWD;              // "FWD"
    static const CLoopMode ALT_PLUS_PLUS;    // "ALT++"
    static const CLoopMode ALT_PLUS_MINUS;   // "ALT+-"
    static const CLoopMode ONE_SHOT_R;       // "1SHOTR"
    static const CLoopMode FWD_R;            // "FWDR"
    static const CLoopMode ALT_PLUS_PLUS_R;  // "ALT++R"
    static const CLoopMode ALT_PLUS_MINUS_R; // "ALT+-R"
};

} // namespace SL

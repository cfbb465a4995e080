#include "sl/model/loop_mode.h"

namespace SL {

const GT::CPairTable<int, std::string>& CLoopMode::GetTable() {
    // Never destroyed, so that the table outlives every enumeration object.
    static const auto* const table = new GT::CPairTable<int, std::string>(
        {
            {0, "1SHOT"},
            {1, "FWD"},
            {3, "ALT++"},
            {7, "ALT+-"},
            {8, "1SHOTR"},
            {9, "FWDR"},
            {11, "ALT++R"},
            {15, "ALT+-R"},
        },
        {-1, ""});
    return *table;
}

constinit const CLoopMode CLoopMode::ONE_SHOT{0, CListedValue{}};
constinit const CLoopMode CLoopMode::FWD{1, CListedValue{}};
constinit const CLoopMode CLoopMode::ALT_PLUS_PLUS{3, CListedValue{}};
constinit const CLoopMode CLoopMode::ALT_PLUS_MINUS{7, CListedValue{}};
constinit const CLoopMode CLoopMode::ONE_SHOT_R{8, CListedValue{}};
constinit const CLoopMode CLoopMode::FWD_R{9, CListedValue{}};
constinit const CLoopMode CLoopMode::ALT_PLUS_PLUS_R{11, CListedValue{}};
constinit const CLoopMode CLoopMode::ALT_PLUS_MINUS_R{15, CListedValue{}};

} // namespace SL

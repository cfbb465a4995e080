#pragma once

#include "card/file_system.h"

#include <cstdint>
#include <string>

namespace ZQ3 {

// How much a card can still take: its free bytes, and the sample time they hold at the card's
// 44.1 kHz once a change's own files (information file copy, journal) are allowed for.
struct CardSpace {
    // False when the card's file system could not say.
    bool known = false;
    std::uint64_t freeBytes = 0;
    double secondsLeftMono = 0;
    double secondsLeftStereo = 0;
};

CardSpace MeasureCardSpace(const std::string& root, IFileSystem& fs = PosixFileSystem());

} // namespace ZQ3

#include "app/card_space.h"

#include "card/card_layout.h"
#include "card/file_transfer.h"

namespace ZQ3 {

CardSpace MeasureCardSpace(const std::string& root, IFileSystem& fs) {
    constexpr double CardSampleRate = 44100.0;
    CardSpace space;
    space.known = FileTransfer::FreeSpace(CardLayout::CardDirectory(root), space.freeBytes, fs);
    if (!space.known || space.freeBytes <= CardLayout::TransactionOverheadBytes) {
        return space;
    }
    // The codec stores 16 frames of a channel in 16 bytes, whole blocks only: a byte a frame.
    const std::uint64_t usable = space.freeBytes - CardLayout::TransactionOverheadBytes;
    const std::uint64_t monoFrames = usable / 16 * 16;
    const std::uint64_t stereoFrames = usable / 32 * 16;
    space.secondsLeftMono = static_cast<double>(monoFrames) / CardSampleRate;
    space.secondsLeftStereo = static_cast<double>(stereoFrames) / CardSampleRate;
    return space;
}

} // namespace ZQ3

#include "app/card_space.h"

#include "card/card_layout.h"
#include "sl/codec/card_sound_format.h"

namespace ZQ3 {

std::uint64_t SampleBytesTaken(std::int64_t frames, int channels,
                               const FileTransfer::VolumeSpace& volume) {
    if (channels < 1) {
        return 0;
    }
    return volume.bytesTaken(CardLayout::CardBytesNeeded(frames, 1)) *
           static_cast<std::uint64_t>(channels);
}

std::uint64_t TransactionBytesTaken(int pads, const FileTransfer::VolumeSpace& volume) {
    return volume.bytesTaken(CardLayout::InformationFileBytes) +
           volume.bytesTaken(CardLayout::JournalBytes(pads));
}

CardSpace MeasureCardSpace(const std::string& root, IFileSystem& fs) {
    const FileTransfer::VolumeSpace volume =
        FileTransfer::MeasureVolume(CardLayout::CardDirectory(root), fs);
    CardSpace space;
    space.freeBytes = volume.freeBytes;
    if (!volume.freeBytes) {
        return space;
    }
    // Each channel file may leave its last allocation unit partly unused.
    const std::uint64_t reserved =
        TransactionBytesTaken(1, volume) + 2 * (volume.allocationUnit - 1);
    if (*volume.freeBytes <= reserved) {
        return space;
    }
    // The codec stores 16 frames of a channel in 16 bytes, whole blocks only: a byte a frame.
    const std::uint64_t usable = *volume.freeBytes - reserved;
    const std::uint64_t monoFrames = usable / 16 * 16;
    const std::uint64_t stereoFrames = usable / 32 * 16;
    space.secondsLeftMono = static_cast<double>(monoFrames) / SL::CCardSoundFormat::kSampleRate;
    space.secondsLeftStereo = static_cast<double>(stereoFrames) / SL::CCardSoundFormat::kSampleRate;
    return space;
}

} // namespace ZQ3

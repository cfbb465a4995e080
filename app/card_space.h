#pragma once

#include "card/file_system.h"
#include "card/file_transfer.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ZQ3 {

// How much a card can still take: its free bytes, and the sample time they hold at the card's
// 44.1 kHz once a change's own files (information file copy, journal) are allowed for.
struct CardSpace {
    // Nothing when the card's file system does not say; the times are then 0.
    std::optional<std::uint64_t> freeBytes;
    double secondsLeftMono = 0;
    double secondsLeftStereo = 0;
};

CardSpace MeasureCardSpace(const std::string& root, IFileSystem& fs = PosixFileSystem());

// The room on volume that the channel files of a sample of frames × channels take: one file per
// channel, each rounded up to the volume's allocation unit.
std::uint64_t SampleBytesTaken(std::int64_t frames, int channels,
                               const FileTransfer::VolumeSpace& volume);
// The room on volume that the own files of a change of pads take at most: the new information
// file and the journal, each rounded up to the volume's allocation unit.
std::uint64_t TransactionBytesTaken(int pads, const FileTransfer::VolumeSpace& volume);

} // namespace ZQ3

#pragma once

#include "app/model.h"
#include "sl/samples/waveform.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZQ3 {

// Where a pad's sound lives and how it plays, copied out of the model so that a worker thread
// can read the card while the user-interface thread goes on changing the model.
struct PadSound {
    std::vector<std::string> channelFiles;
    bool lofi = false;
    // Frames per channel as the pad plays: a lo-fi pad plays twice the frames it stores.
    std::int64_t playedLength = 0;

    // The sound of pad in the model's current bank; nothing for an empty pad or without a card.
    static std::optional<PadSound> Of(const CModel& model, int pad);
};

// The outline of a pad's sound in columnCount columns, read from its channel files as playback
// reads them: both channels of a stereo pad, a lo-fi pad held at its quarter rate over its
// played length. Empty when the files cannot be read whole or when cancelled turns true.
std::optional<SL::CWaveform> ReadPadWaveform(const PadSound& sound, int columnCount,
                                             const std::atomic<bool>& cancelled);

// The outline of a sound file: WAV and AIFF through the converter's own readers, any other file
// libsndfile reads through libsndfile. Empty when the file is neither, is damaged, or when
// cancelled turns true.
std::optional<SL::CWaveform> ReadFileWaveform(const std::string& path, int columnCount,
                                              const std::atomic<bool>& cancelled);

} // namespace ZQ3

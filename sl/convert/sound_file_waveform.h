#pragma once

#include "sl/samples/waveform.h"

#include <atomic>
#include <optional>
#include <string>

namespace SL {

// The outline of any file libsndfile reads as sound (FLAC, Ogg Vorbis, MP3, WAV and AIFF of
// every sample type...) in columnCount columns, one lane per channel of the file. Streams a
// block at a time. Empty when libsndfile does not read the file, on a read error, or when
// cancelled turns true.
std::optional<CWaveform> ReadSoundFileWaveform(const std::string& path, int columnCount,
                                               const std::atomic<bool>& cancelled);

} // namespace SL

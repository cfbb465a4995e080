#pragma once

#include "platform/wave_out_sink.h"

#include <string>

namespace ZQ3 {

// Why the sound output did not open and what the user can do about it, in the catalogue's
// current language: the detail that follows "Playback failed.". Empty when nothing is known.
std::string PlaybackFailureDetail(const SL::CWaveOutOpenFailure& failure);

} // namespace ZQ3

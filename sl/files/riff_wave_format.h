#pragma once

#include "sl/files/audio_file_format.h"
#include "sl/files/riff_wave_dto.h"

#include <memory>

namespace SL {

// The RIFF WAVE entry of the audio file format table.
CAudioFileFormat RiffWaveFormat();

// The wave a read WAVE tree describes, its "smpl" loop and pitch included, or nothing when it
// lacks "fmt " or "data" or they describe no sound. A loaded payload is decoded into typed
// channels.
std::shared_ptr<IWave> ConvertToWave(const CRiffWaveDto& dto);

} // namespace SL

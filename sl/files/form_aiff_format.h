#pragma once

#include "sl/files/audio_file_format.h"
#include "sl/files/form_aiff_dto.h"

#include <memory>

namespace SL {

// The AIFF entry of the audio file format table.
CAudioFileFormat FormAiffFormat();

// The wave a read AIFF tree describes, its "INST" loop and pitch included, or nothing when it
// lacks "COMM" or "SSND" or they describe no sound. A loaded payload is decoded into typed
// channels.
std::shared_ptr<IWave> ConvertToWave(const CFormAiffDto& dto);

} // namespace SL

#pragma once

#include "sl/files/form_aiff_dto.h"
#include "sl/files/riff_wave_dto.h"
#include "sl/model/wave.h"
#include "sl/model/wave_file_format.h"

#include <istream>
#include <memory>
#include <string>

namespace SL {

// A file's wave descriptor and the container it came in; an empty wave when the file is not a
// readable WAVE or AIFF file.
struct CLoadedWave {
    std::shared_ptr<IWave> wave;
    CWaveFileFormat fileFormat;

    explicit operator bool() const { return wave != nullptr; }
};

// Recognises the file by content (RIFF WAVE first, then AIFF), reads its chunks without
// loading the sample data, and describes it as a wave whose null channels carry the shape.
CLoadedWave LoadWaveFile(const std::string& path);
CLoadedWave LoadWave(std::istream& input);

// The wave a read transfer object describes, or nothing when it lacks its format or sample
// data chunk or they describe no sound. A loaded payload is decoded into typed channels.
std::shared_ptr<IWave> ConvertToWave(const CRiffWaveDto& dto);
std::shared_ptr<IWave> ConvertToWave(const CFormAiffDto& dto);

} // namespace SL

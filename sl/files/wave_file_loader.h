#pragma once

#include "sl/files/form_aiff_format.h"
#include "sl/files/riff_wave_format.h"
#include "sl/files/wave_load_problem.h"
#include "sl/model/wave.h"
#include "sl/model/wave_file_format.h"

#include <istream>
#include <memory>
#include <string>

namespace SL {

// A file's wave descriptor and the container it came in; an empty wave when the file is not a
// readable WAVE or AIFF file, and then the problem says why. The container is known as well
// when a recognised file fails further on.
struct CLoadedWave {
    std::shared_ptr<IWave> wave;
    CWaveFileFormat fileFormat;
    CWaveLoadProblem problem;

    explicit operator bool() const { return wave != nullptr; }
};

// Recognises the file by content (in the order of AudioFileFormats()), reads its chunks
// without loading the sample data, and describes it as a wave whose null channels carry the
// shape. A file that cannot be read comes back with its problem, never as an exception.
CLoadedWave LoadWaveFile(const std::string& path);
CLoadedWave LoadWave(std::istream& input);

} // namespace SL

#pragma once

#include "sl/files/form_aiff_dto.h"
#include "sl/files/open_failure.h"
#include "sl/files/riff_wave_dto.h"
#include "sl/model/wave.h"
#include "sl/model/wave_file_format.h"

#include <istream>
#include <memory>
#include <string>

namespace SL {

// Why a file gave no wave, and what was found that says so.
struct CWaveLoadProblem {
    enum class CReason {
        None,
        NoSuchFile,
        // A folder, FIFO, device or socket; see fileKind.
        NotRegularFile,
        PermissionDenied,
        // The system refused the open for another reason; see errorNumber.
        CannotOpen,
        // Neither a RIFF WAVE nor an AIFF header.
        NotWaveOrAiff,
        // A WAVE or AIFF header whose file ends before what it announces.
        Truncated,
        // A WAVE encoding other than integer or floating-point samples; see formatTag.
        UnsupportedFormatTag,
        // Integer or floating-point samples of a size no reader has; see bitsPerSample.
        UnsupportedSampleFormat,
        // A complete WAVE or AIFF file without a usable format or sound data chunk.
        Damaged,
    };

    CReason reason = CReason::None;
    CFileKind fileKind = CFileKind::Regular;
    int errorNumber = 0;
    // The WAVE format tag, or the tag a WAVE_FORMAT_EXTENSIBLE sub-format stands for.
    unsigned formatTag = 0;
    int bitsPerSample = 0;
    bool floatingPoint = false;
};

// A file's wave descriptor and the container it came in; an empty wave when the file is not a
// readable WAVE or AIFF file, and then the problem says why. The container is known as well
// when a recognised file fails further on.
struct CLoadedWave {
    std::shared_ptr<IWave> wave;
    CWaveFileFormat fileFormat;
    CWaveLoadProblem problem;

    explicit operator bool() const { return wave != nullptr; }
};

// Recognises the file by content (RIFF WAVE first, then AIFF), reads its chunks without
// loading the sample data, and describes it as a wave whose null channels carry the shape. A
// file that cannot be read comes back with its problem, never as an exception.
CLoadedWave LoadWaveFile(const std::string& path);
CLoadedWave LoadWave(std::istream& input);

// The wave a read transfer object describes, or nothing when it lacks its format or sample
// data chunk or they describe no sound. A loaded payload is decoded into typed channels.
std::shared_ptr<IWave> ConvertToWave(const CRiffWaveDto& dto);
std::shared_ptr<IWave> ConvertToWave(const CFormAiffDto& dto);

} // namespace SL

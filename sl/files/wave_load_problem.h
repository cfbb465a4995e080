#pragma once

#include "sl/files/open_failure.h"
#include "sl/model/sound_bounds.h"

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
        // A header whose rate, channel count or length lies outside CSoundBounds; see bounds.
        OutOfBounds,
    };

    CReason reason = CReason::None;
    CFileKind fileKind = CFileKind::Regular;
    int errorNumber = 0;
    // The WAVE format tag, or the tag a WAVE_FORMAT_EXTENSIBLE sub-format stands for.
    unsigned formatTag = 0;
    int bitsPerSample = 0;
    bool floatingPoint = false;
    CSoundBoundsCheck bounds;
};

} // namespace SL

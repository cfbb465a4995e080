#pragma once

#include "sl/files/iff_dto.h"
#include "sl/files/riff_wave_file_chunks.h"

namespace SL {

class CRiffWaveDto : public CIffDto<CRiffWaveFileChunks::CRiffWaveChunk> {
public:
    using CIffDto::CIffDto;

    // Whether the input starts with a "RIFF" header of form type "WAVE". The position and the
    // state of the stream are restored; the children are not read.
    bool IsReadable(std::istream& input) const;
};

} // namespace SL

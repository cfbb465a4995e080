#include "sl/files/riff_wave_dto.h"

#include "sl/files/iff_probe.h"

namespace SL {

bool CRiffWaveDto::IsReadable(std::istream& input) const {
    return ProbeRootChunk<CRiffWaveFileChunks::CRiffWaveChunk>(input);
}

} // namespace SL

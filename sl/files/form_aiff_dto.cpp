#include "sl/files/form_aiff_dto.h"

#include "sl/files/iff_probe.h"

namespace SL {

bool CFormAiffDto::IsReadable(std::istream& input) const {
    return ProbeRootChunk<CFormAiffFileChunks::CFormAiffChunk>(input);
}

} // namespace SL

#pragma once

#include "sl/files/form_aiff_file_chunks.h"
#include "sl/files/iff_dto.h"

namespace SL {

class CFormAiffDto : public CIffDto<CFormAiffFileChunks::CFormAiffChunk> {
public:
    using CIffDto::CIffDto;

    // Whether the input starts with a "FORM" header of form type "AIFF" (the compressed
    // variant is not). The position and the state of the stream are restored.
    bool IsReadable(std::istream& input) const;
};

} // namespace SL

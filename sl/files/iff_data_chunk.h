#pragma once

#include "sl/files/iff_chunk.h"
#include "sl/files/streamable_data.h"

namespace SL {

// A leaf chunk whose body is an opaque payload of the header's size.
class CIffDataChunk : public CIffChunk, public CStreamableData {
public:
    CIffDataChunk(const CFourCharacterCode& identifier, int endianness, bool loadIntoMemory)
        : CIffChunk(identifier, endianness), CStreamableData(loadIntoMemory) {}

    bool Read(std::istream& input) override { return CIffChunk::Read(input); }
    bool Write(std::ostream& output) override { return CIffChunk::Write(output); }
    bool ReadBody(std::istream& input) override { return CStreamableData::Read(input); }
    bool WriteBody(std::ostream& output) override { return CStreamableData::Write(output); }
    std::int32_t GetSize() const override { return GetHeader().GetSize(); }
};

} // namespace SL

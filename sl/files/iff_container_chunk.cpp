#include "sl/files/iff_container_chunk.h"

#include "sl/files/stream_extent.h"

namespace SL {

CIffContainerChunk::CIffContainerChunk(const CFourCharacterCode& identifier, int endianness,
                                       const CFourCharacterCode& formType,
                                       std::shared_ptr<IChunkFactory> factory)
    : CIffChunk(identifier, endianness), formType_(formType), factory_(std::move(factory)) {}

bool CIffContainerChunk::Read(std::istream& input) {
    clear();
    return CIffChunk::Read(input);
}

bool CIffContainerChunk::ReadFormType(std::istream& input) {
    if (formType_.IsEmpty()) {
        return true;
    }
    CFourCharacterCode formType;
    return formType.Read(input) && formType == formType_ && input.good();
}

bool CIffContainerChunk::ReadBody(std::istream& input) {
    clear();
    if (!ReadFormType(input)) {
        return false;
    }
    // Fixed for the whole iteration: the container's extent and where the input ends.
    const std::int64_t inputEnd = GetInputLimit();
    const std::int64_t begin = GetHeader().GetOffset();
    const std::int64_t end = GetHeader().GetBodyEnd();
    std::int64_t next = begin + (formType_.IsEmpty() ? 0 : 4);

    // A missing pad byte after the last chunk is common and harmless: iteration just ends.
    while (next < end && next < inputEnd) {
        input.seekg(next);
        CHeader child(GetEndianness());
        if (!child.Read(input) || child.GetSize() < 0) {
            break;
        }
        const std::int64_t childEnd = child.GetBodyEnd();
        if (child.GetSize() == 0 && childEnd > end) {
            break;
        }
        // A body that ends past the input belongs to a truncated file: reading on would
        // promise data that is not there. A body past the container's end alone is still read.
        if (childEnd > inputEnd) {
            break;
        }
        std::unique_ptr<CIffChunk> created =
            factory_ ? factory_->Create(child.GetIdentifier()) : nullptr;
        if (created) {
            if (!created->ReadBodyAfter(input, child, inputEnd)) {
                return false;
            }
            const std::int64_t position = GetInputPosition(input);
            if (position < 0 || position > childEnd) {
                return false;
            }
            push_back(std::shared_ptr<CIffChunk>(std::move(created)));
        }
        next = childEnd + (child.GetSize() & 1);
    }
    // Iteration may have ended on a failed header read at the end of the input; the container
    // itself was read, so the stream is left usable for the sample readers.
    input.clear();
    return true;
}

bool CIffContainerChunk::WriteBody(std::ostream& output) {
    if (!formType_.IsEmpty() && !formType_.Write(output)) {
        return false;
    }
    for (const std::shared_ptr<CIffChunk>& child : *this) {
        if (!child->Write(output)) {
            return false;
        }
    }
    return output.good();
}

std::shared_ptr<CIffChunk>
CIffContainerChunk::FindChunk(const CFourCharacterCode& identifier) const {
    for (const std::shared_ptr<CIffChunk>& child : *this) {
        if (child->GetIdentifier() == identifier) {
            return child;
        }
    }
    return nullptr;
}

} // namespace SL

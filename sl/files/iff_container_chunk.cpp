#include "sl/files/iff_container_chunk.h"

#include "sl/files/stream_extent.h"

namespace SL {

CIffContainerChunk::CIffContainerChunk(const CFourCharacterCode& identifier, int endianness,
                                       const CFourCharacterCode& formType,
                                       std::shared_ptr<IChunkFactory> factory)
    : CIffChunk(identifier, endianness), formType_(formType), factory_(std::move(factory)) {}

bool CIffContainerChunk::ReadBody(std::istream&) {
    return false;
}

bool CIffContainerChunk::ReadFormType(std::istream& input) {
    if (formType_.IsEmpty()) {
        return true;
    }
    CFourCharacterCode formType;
    return formType.Read(input) && formType == formType_ && input.good();
}

bool CIffContainerChunk::Read(std::istream& input) {
    clear();
    if (!ReadHeader(input) || !ReadFormType(input)) {
        return false;
    }
    const std::int64_t inputEnd = GetInputEnd(input);
    if (inputEnd < 0) {
        return false;
    }
    const std::int64_t begin = GetHeader().GetOffset();
    const std::int64_t end = GetHeader().GetBodyEnd();
    const std::int64_t first = begin + (formType_.IsEmpty() ? 0 : 4);
    auto inside = [&](std::int64_t position) { return position >= begin && position < end; };
    if (!inside(first)) {
        return true;
    }
    input.seekg(first);

    while (true) {
        CHeader child(GetEndianness());
        if (!child.Read(input) || child.GetSize() < 0 || child.GetOffset() < 0) {
            break;
        }
        if (GetHeader().GetSize() <= 0) {
            break;
        }
        if (child.GetSize() == 0 && (child.GetOffset() < begin || child.GetBodyEnd() > end)) {
            break;
        }
        // A body that ends past the input belongs to a truncated file: reading on would
        // promise data that is not there.
        if (child.GetBodyEnd() > inputEnd) {
            break;
        }
        input.seekg(std::int64_t{child.GetOffset()} - 8);

        std::unique_ptr<CIffChunk> created =
            factory_ ? factory_->Create(child.GetIdentifier()) : nullptr;
        if (created) {
            if (!created->Read(input)) {
                return false;
            }
            const std::int64_t position = GetInputPosition(input);
            if (position < 0 || position > child.GetBodyEnd()) {
                return false;
            }
            push_back(std::shared_ptr<CIffChunk>(std::move(created)));
        }

        // A missing pad byte after the last chunk is common and harmless: iteration just ends.
        const std::int64_t next = child.GetPaddedEnd();
        if (next >= inputEnd || !inside(next)) {
            break;
        }
        input.seekg(next);
        if (input.fail()) {
            break;
        }
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

#include "sl/files/signed_byte_sample_iterators.h"

namespace SL {

CSignedByteInputSampleIterator::CSignedByteInputSampleIterator(
    std::shared_ptr<ITypedInputSampleIterator<CSampleTag::Integer8>> source)
    : source_(std::move(source)), locatable_(dynamic_cast<ILocatable1D*>(source_.get())) {}

void CSignedByteInputSampleIterator::Seek(std::int64_t frame) {
    if (locatable_) {
        locatable_->Seek(frame);
    }
}

std::int64_t CSignedByteInputSampleIterator::GetPosition() const {
    return locatable_ ? locatable_->GetPosition() : 0;
}

std::int64_t CSignedByteInputSampleIterator::GetOffset(std::int64_t frames) const {
    return locatable_ ? locatable_->GetOffset(frames) : frames;
}

} // namespace SL

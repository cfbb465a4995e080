#include "sl/samples/file_sample_iterator_factory.h"

#include "sl/samples/file_input_sample_iterator.h"
#include "sl/samples/sample_type.h"

#include <utility>

namespace SL {

template class CFileInputSampleIterator<CSampleTag::Integer8>;
template class CFileInputSampleIterator<CSampleTag::Integer16>;
template class CFileInputSampleIterator<CSampleTag::Integer24>;
template class CFileInputSampleIterator<CSampleTag::Integer32>;
template class CFileInputSampleIterator<CSampleTag::Float32>;
template class CFileInputSampleIterator<CSampleTag::Float64>;

template class CFileOutputSampleIterator<CSampleTag::Integer8>;
template class CFileOutputSampleIterator<CSampleTag::Integer16>;
template class CFileOutputSampleIterator<CSampleTag::Integer24>;
template class CFileOutputSampleIterator<CSampleTag::Integer32>;
template class CFileOutputSampleIterator<CSampleTag::Float32>;
template class CFileOutputSampleIterator<CSampleTag::Float64>;

std::shared_ptr<IInputSampleIterator>
CreateFileInputSampleIterator(const CSampleAttribute& attribute,
                              std::shared_ptr<std::istream> stream, std::int64_t begin,
                              std::int64_t end) {
    if (!stream) {
        return {};
    }
    return VisitStreamableTag<std::shared_ptr<IInputSampleIterator>>(
        attribute.GetBitDepth().GetValue(), [&](auto tag) -> std::shared_ptr<IInputSampleIterator> {
            return std::make_shared<CFileInputSampleIterator<tag.value>>(attribute, stream, begin,
                                                                         end);
        });
}

std::shared_ptr<IOutputSampleIterator>
CreateFileOutputSampleIterator(const CSampleAttribute& attribute,
                               std::shared_ptr<std::ostream> stream, std::int64_t begin,
                               std::int64_t end, CHeaderWriter headerWriter) {
    if (!stream) {
        return {};
    }
    return VisitStreamableTag<std::shared_ptr<IOutputSampleIterator>>(
        attribute.GetBitDepth().GetValue(),
        [&](auto tag) -> std::shared_ptr<IOutputSampleIterator> {
            return std::make_shared<CFileOutputSampleIterator<tag.value>>(
                attribute, stream, begin, end, std::move(headerWriter));
        });
}

} // namespace SL

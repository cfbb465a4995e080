#include "sl/samples/sample_transformer.h"

namespace SL {

template class CSampleTransformer<CSampleTag::Integer8>;
template class CSampleTransformer<CSampleTag::Integer16>;
template class CSampleTransformer<CSampleTag::Integer24>;
template class CSampleTransformer<CSampleTag::Integer32>;
template class CSampleTransformer<CSampleTag::Float32>;
template class CSampleTransformer<CSampleTag::Float64>;

std::shared_ptr<ISampleTransformer> CreateSampleTransformer(int bitDepthCode) {
    return VisitStreamableTag<std::shared_ptr<ISampleTransformer>>(
        bitDepthCode, [](auto tag) -> std::shared_ptr<ISampleTransformer> {
            return std::make_shared<CSampleTransformer<tag.value>>();
        });
}

} // namespace SL

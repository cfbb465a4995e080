#include "sl/samples/sample_buffer.h"

namespace SL {

template class CSampleBuffer<CSampleTag::Integer8>;
template class CSampleBuffer<CSampleTag::Integer16>;
template class CSampleBuffer<CSampleTag::Integer24>;
template class CSampleBuffer<CSampleTag::Integer32>;
template class CSampleBuffer<CSampleTag::Float32>;
template class CSampleBuffer<CSampleTag::Float64>;

} // namespace SL

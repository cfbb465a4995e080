#include "sl/samples/ring_sample_buffer.h"

namespace SL {

template class CRingSampleBuffer<CSampleTag::Integer8>;
template class CRingSampleBuffer<CSampleTag::Integer16>;
template class CRingSampleBuffer<CSampleTag::Integer24>;
template class CRingSampleBuffer<CSampleTag::Integer32>;
template class CRingSampleBuffer<CSampleTag::Float32>;
template class CRingSampleBuffer<CSampleTag::Float64>;

} // namespace SL

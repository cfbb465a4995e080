#include "sl/samples/interleaved_buffer.h"

namespace SL {

template class CInterleavedBuffer<CSampleTag::Integer8>;
template class CInterleavedBuffer<CSampleTag::Integer16>;
template class CInterleavedBuffer<CSampleTag::Integer24>;
template class CInterleavedBuffer<CSampleTag::Integer32>;
template class CInterleavedBuffer<CSampleTag::Float32>;
template class CInterleavedBuffer<CSampleTag::Float64>;
template class CInterleavedBuffer<CSampleTag::Complex32>;
template class CInterleavedBuffer<CSampleTag::Complex64>;
template class CInterleavedBuffer<CSampleTag::Point64>;

} // namespace SL

#include "sl/audio/sample_iterator_ring_buffering_decorator.h"
#include "sl/audio/sample_iterator_stereo_decorator.h"

namespace SL {

// Playback always runs on 16-bit integer samples.
template class CSampleIteratorRingBufferingDecorator<CSampleTag::Integer16>;
template class CSampleIteratorStereoDecorator<CSampleTag::Integer16>;

} // namespace SL

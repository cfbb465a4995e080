#pragma once

#include "sl/samples/file_output_sample_iterator.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_iterator.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>

namespace SL {

// The file iterator for the attribute's bit depth (8-, 16-, 24-, 32-bit integer, 32- or 64-bit
// float) over the byte range [begin, end) of a stream, in the attribute's byte order. Empty for
// any other bit depth or a missing stream. The typed iterator is reached by
// std::dynamic_pointer_cast<ITypedInputSampleIterator<tag>>.
std::shared_ptr<IInputSampleIterator>
CreateFileInputSampleIterator(const CSampleAttribute& attribute,
                              std::shared_ptr<std::istream> stream, std::int64_t begin,
                              std::int64_t end);

// Likewise for writing; the header writer runs once when the iterator is finished.
std::shared_ptr<IOutputSampleIterator>
CreateFileOutputSampleIterator(const CSampleAttribute& attribute,
                               std::shared_ptr<std::ostream> stream, std::int64_t begin,
                               std::int64_t end, CHeaderWriter headerWriter = {});

} // namespace SL

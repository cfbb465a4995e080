#pragma once

#include "sl/codec/vexa_file_input_sample_iterator.h"
#include "sl/codec/vexa_file_output_sample_iterator.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ZQ3 {

// Opens a pad's channel files (the left file first and, for a stereo pad, the right one) as one
// interleaved 16-bit stream. Lo-fi pads use the short frame form (N = 4), others N = 8.
// `sampleCount` is the number of samples per channel to deliver, negative when unknown: then it
// is every whole frame the files hold. Empty when a file cannot be opened or measured, when any
// file is too short to hold the whole frames that `sampleCount` needs, or when the count does not
// fit a stream length. A channel file must be a regular file; a symbolic link at its name is
// refused, never followed.
std::shared_ptr<SL::CVexaFileInputSampleIterator>
OpenCardSampleInputIterator(const std::vector<std::string>& sampleFilePaths, bool lofi,
                            std::int64_t sampleCount);

// Creates the channel files, each new, and returns the stream that encodes an interleaved 16-bit
// stream into them in the ordinary form (N = 8). Its Finish, called once after the last sample,
// writes the padded last frame and flushes the files. Empty when a file cannot be created, a name
// already taken by a file or a link included; files created before the failing one are left for
// the caller's cleanup.
std::shared_ptr<SL::CVexaFileOutputSampleIterator>
OpenCardSampleOutputIterator(const std::vector<std::string>& sampleFilePaths);

} // namespace ZQ3

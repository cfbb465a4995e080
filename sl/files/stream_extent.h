#pragma once

#include <cstdint>
#include <istream>
#include <limits>
#include <ostream>

namespace SL {

// Chunk offsets and sizes are 32-bit signed: a file whose positions do not fit is refused rather
// than wrapped.
constexpr std::int64_t MaxStreamPosition = std::numeric_limits<std::int32_t>::max();

// The current input position, or -1 when the stream has failed or the position does not fit in
// 32 bits.
std::int64_t GetInputPosition(std::istream& input);
std::int64_t GetOutputPosition(std::ostream& output);

// One past the last byte of the input, found by seeking; the current position is kept. -1 when
// the stream cannot seek or is 2 GiB or longer.
std::int64_t GetInputEnd(std::istream& input);

} // namespace SL

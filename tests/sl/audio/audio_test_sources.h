#pragma once

#include "sl/samples/sample_buffer.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace SL::Testing {

// A 16-bit stream at 44.1 kHz over the given interleaved samples.
inline std::shared_ptr<IInputSampleIterator> MakeSource(const std::vector<std::int16_t>& samples,
                                                        int channels, double rate = 44100) {
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    auto buffer = std::make_shared<CSampleBuffer<CSampleTag::Integer16>>(
        CSampleAttribute(CBitDepth(CSampleTag::Integer16), rate, channels, 0), std::move(bytes));
    // The iterator does not own its buffer; the deleter keeps the buffer alive beside it.
    auto iterator = buffer->CreateInputIteratorAtBegin();
    return std::shared_ptr<IInputSampleIterator>(iterator.get(),
                                                 [iterator, buffer](IInputSampleIterator*) mutable {
                                                     iterator.reset();
                                                     buffer.reset();
                                                 });
}

// Distinct non-zero values, so that silence, loss and reordering all show.
inline std::vector<std::int16_t> Ramp(std::size_t count, std::int16_t first = 1) {
    std::vector<std::int16_t> values(count);
    std::int16_t value = first;
    for (auto& sample : values) {
        sample = value;
        value = static_cast<std::int16_t>(value == 32767 ? 1 : value + 1);
    }
    return values;
}

} // namespace SL::Testing

#pragma once

#include "gt/endianed.h"
#include "sl/model/bit_depth.h"

#include <cstdint>

namespace SL {

// What a sample stream holds: its byte order, the representation of each sample, the sample
// rate, the number of interleaved channels and the length in sample frames. A new attribute is
// little-endian (the machine's order) and describes an empty stream.
class CSampleAttribute : public GT::CEndianed {
public:
    CSampleAttribute() = default;
    CSampleAttribute(const CBitDepth& bitDepth, double sampleRate, std::int32_t channelCount,
                     std::int32_t length, int endianness = GT::CEndianness::LittleEndian);

    const CBitDepth& GetBitDepth() const { return bitDepth_; }
    void SetBitDepth(const CBitDepth& bitDepth) { bitDepth_ = bitDepth; }
    double GetSampleRate() const { return sampleRate_; }
    void SetSampleRate(double sampleRate) { sampleRate_ = sampleRate; }
    std::int32_t GetChannelCount() const { return channelCount_; }
    void SetChannelCount(std::int32_t channelCount) { channelCount_ = channelCount; }
    // In sample frames (one sample of every channel).
    std::int32_t GetLength() const { return length_; }
    void SetLength(std::int32_t length) { length_ = length; }

    // The bytes of one sample, derived from the bit-depth code as (code >> 3) & 0x1FFF.
    int GetBytesPerSample() const { return bitDepth_.GetBytesPerSample(); }
    // 0 when the channel count is not positive.
    std::int64_t GetBytesPerFrame() const;
    // Channel count × length samples in total; 0 when either is not positive.
    std::int64_t GetSampleCount() const;

    friend bool operator==(const CSampleAttribute& a, const CSampleAttribute& b);

private:
    CBitDepth bitDepth_;
    double sampleRate_ = 0.0;
    std::int32_t channelCount_ = 0;
    std::int32_t length_ = 0;
};

} // namespace SL

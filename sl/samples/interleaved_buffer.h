#pragma once

#include "sl/samples/sample_bytes.h"
#include "sl/samples/sample_type.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace SL {

// The double-precision value of one sample: integers are scaled so that the largest positive
// value gives 1.0 (full-scale negative values land slightly below -1.0); unsigned 8-bit samples
// are centred on 128. Complex samples give their real part and points their y value.
template <int Tag>
double SampleToDouble(SampleValue<Tag> value) {
    if constexpr (Tag == CSampleTag::Integer8) {
        return (static_cast<double>(value) - 128.0) / (255.0 - 128.0);
    } else if constexpr (Tag == CSampleTag::Integer16) {
        return value / 32767.0;
    } else if constexpr (Tag == CSampleTag::Integer24) {
        return value / 8388607.0;
    } else if constexpr (Tag == CSampleTag::Integer32) {
        return value / 2147483647.0;
    } else if constexpr (Tag == CSampleTag::Float32 || Tag == CSampleTag::Float64) {
        return static_cast<double>(value);
    } else if constexpr (Tag == CSampleTag::Complex32 || Tag == CSampleTag::Complex64) {
        return static_cast<double>(value.real());
    } else {
        return value.y;
    }
}

// A view of a run of consecutive channels [firstChannel, firstChannel + channelRun) of
// interleaved sample bytes. Its iterator visits the run frame after frame and yields each sample
// as a double. Only whole frames inside the given bytes are visited; a run that does not fit the
// channel count gives an empty view.
template <int Tag>
class CInterleavedBuffer {
public:
    static constexpr int Width = SampleWidth<Tag>;

    class CIterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = double;
        using difference_type = std::ptrdiff_t;
        using pointer = const double*;
        using reference = double;

        CIterator() = default;

        double operator*() const {
            return SampleToDouble<Tag>(
                CSampleBytes<Tag>::Load(reinterpret_cast<const std::uint8_t*>(sample_), reverse_));
        }
        CIterator& operator++() {
            ++index_;
            if (++inRun_ == run_) {
                inRun_ = 0;
                sample_ += static_cast<std::uintptr_t>(Width + jump_);
            } else {
                sample_ += Width;
            }
            return *this;
        }
        CIterator operator++(int) {
            CIterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const CIterator& a, const CIterator& b) {
            return a.index_ == b.index_;
        }

    private:
        friend class CInterleavedBuffer;
        CIterator(const std::uint8_t* sample, std::size_t index, std::size_t run,
                  std::ptrdiff_t jump, bool reverse)
            : sample_(reinterpret_cast<std::uintptr_t>(sample)), index_(index), run_(run),
              jump_(jump), reverse_(reverse) {}

        // An address, not a pointer: past the last sample it may lie beyond the bytes.
        std::uintptr_t sample_ = 0;
        std::size_t index_ = 0;
        std::size_t run_ = 1;
        std::size_t inRun_ = 0;
        std::ptrdiff_t jump_ = 0;
        bool reverse_ = false;
    };

    // `endianness` 1 is the machine's order; any other value means big-endian bytes.
    CInterleavedBuffer(const std::uint8_t* data, std::size_t size, int channelCount,
                       int firstChannel, int channelRun, int endianness = 1)
        : reverse_(endianness != 1) {
        if (data == nullptr || channelCount < 1 || firstChannel < 0 || channelRun < 1 ||
            channelRun > channelCount - firstChannel) {
            return;
        }
        const std::size_t frameBytes = std::size_t(channelCount) * Width;
        frames_ = size / frameBytes;
        first_ = data + std::size_t(firstChannel) * Width;
        run_ = std::size_t(channelRun);
        jump_ = std::ptrdiff_t(channelCount - channelRun) * Width;
    }

    // The whole of every channel.
    CInterleavedBuffer(const std::uint8_t* data, std::size_t size, int channelCount,
                       int endianness = 1)
        : CInterleavedBuffer(data, size, channelCount, 0, channelCount, endianness) {}

    std::size_t GetFrameCount() const { return frames_; }
    std::size_t GetSampleCount() const { return frames_ * run_; }

    CIterator begin() const { return CIterator(first_, 0, run_, jump_, reverse_); }
    // The end is compared by count, so it never points anywhere.
    CIterator end() const { return CIterator(first_, GetSampleCount(), run_, jump_, reverse_); }

    // Appends the visited samples to a vector.
    void AppendTo(std::vector<double>& values) const {
        values.reserve(values.size() + GetSampleCount());
        for (CIterator it = begin(), last = end(); it != last; ++it) {
            values.push_back(*it);
        }
    }

private:
    const std::uint8_t* first_ = nullptr;
    std::size_t frames_ = 0;
    std::size_t run_ = 1;
    std::ptrdiff_t jump_ = 0;
    bool reverse_;
};

} // namespace SL

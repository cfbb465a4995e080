#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace SL {

// Holds the buffers through which a sample stream feeds a coding one frame at a time: an
// interleaved PCM buffer of 16 sample frames for all channels and one encoded frame buffer per
// channel. A stream fills one side, asks for a channel to be coded and reads the other side, so
// coding never allocates.
class CVexaCoder {
public:
    // One direction of the compressed format, with a prediction state per channel.
    class ICoding {
    public:
        virtual ~ICoding() = default;
        // A new coding of the same format that continues from the same channel states.
        virtual std::shared_ptr<ICoding> Clone() const = 0;
        // Codes the 16 samples of `channel` (elements channel, channel + stride, ...) into one
        // frame. Answers the channel's new state, or nothing when the buffers cannot hold the
        // frame or its samples.
        virtual std::optional<std::int32_t> Encode(std::span<const std::int16_t> samples,
                                                   std::size_t stride, std::size_t channel,
                                                   std::span<std::uint8_t> frame) = 0;
        // Decodes one frame into the 16 samples of `channel`, laid out as for Encode.
        virtual std::optional<std::int32_t> Decode(std::span<const std::uint8_t> frame,
                                                   std::span<std::int16_t> samples,
                                                   std::size_t stride, std::size_t channel) = 0;
        // N: the frame takes 2N bytes for 16 samples.
        virtual int GetBitsPerSample() const = 0;
    };

    // The pair the coder is built from: the coded bits per sample N and the PCM sample width.
    struct CFormat {
        int bitsPerSample;
        int pcmBitsPerSample;
    };

    static constexpr int kPcmBitsPerSample = 16;
    static constexpr std::size_t kFramesPerBuffer = 16; // sample frames in the PCM buffer

    // Empty when the format does not match the coding, the PCM width is not 16 bits, there are
    // no channels, or a channel's frames per coding step is not 1 (the PCM buffer holds one
    // frame per channel).
    static std::shared_ptr<CVexaCoder> Create(CFormat format,
                                              const std::vector<int>& framesPerCodingStep,
                                              std::size_t channelCount,
                                              std::shared_ptr<ICoding> coding);
    // The usual shape: one frame per coding step for every channel, N taken from the coding.
    static std::shared_ptr<CVexaCoder> Create(std::size_t channelCount,
                                              std::shared_ptr<ICoding> coding);

    std::size_t GetChannelCount() const { return channelCount_; }
    int GetBitsPerSample() const { return format_.bitsPerSample; }
    std::size_t GetFrameBytes() const { return frameBytes_; }
    const std::shared_ptr<ICoding>& GetCoding() const { return coding_; }

    // 16 sample frames, interleaved by channel.
    std::span<std::int16_t> GetPcmBuffer() { return pcm_; }
    std::span<const std::int16_t> GetPcmBuffer() const { return pcm_; }
    // The encoded frame of one channel; empty for a channel the coder does not have.
    std::span<std::uint8_t> GetFrameBuffer(std::size_t channel);
    std::span<const std::uint8_t> GetFrameBuffer(std::size_t channel) const;

    // PCM buffer to the channel's frame buffer. False for a channel the coder does not have.
    bool Encode(std::size_t channel);
    // The channel's frame buffer to its slots in the PCM buffer.
    bool Decode(std::size_t channel);

private:
    CVexaCoder(CFormat format, std::size_t channelCount, std::shared_ptr<ICoding> coding);

    CFormat format_;
    std::size_t channelCount_;
    std::size_t frameBytes_;
    std::shared_ptr<ICoding> coding_;
    std::vector<std::int16_t> pcm_;
    std::vector<std::uint8_t> frames_; // channelCount_ frames of frameBytes_, one after another
};

} // namespace SL

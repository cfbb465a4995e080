#pragma once

#include "sl/files/iff_container_chunk.h"
#include "sl/files/iff_data_chunk.h"
#include "sl/files/sample_data_layout.h"
#include "sl/model/bit_depth.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace SL {

// The chunks of a RIFF WAVE file; every one is little-endian.
class CRiffWaveFileChunks {
public:
    class CRiffWaveChunk : public CIffContainerChunk {
    public:
        // Creates "fmt ", "smpl" and "data" (loaded exactly when loadData is set); every other
        // chunk is skipped.
        class CDefaultChunkFactory : public IChunkFactory {
        public:
            explicit CDefaultChunkFactory(bool loadData) : loadData_(loadData) {}
            std::unique_ptr<CIffChunk> Create(const CFourCharacterCode& identifier) override;

        private:
            bool loadData_;
        };

        explicit CRiffWaveChunk(std::shared_ptr<IChunkFactory> factory);
    };

    class CFormatChunk : public CIffChunk {
    public:
        static constexpr std::uint16_t PcmTag = 1;
        static constexpr std::uint16_t FloatTag = 3;
        static constexpr std::uint16_t ExtensibleTag = 0xFFFE;
        using CGuid = std::array<std::uint8_t, 16>;

        CFormatChunk();

        // The six fixed fields, the extra size unless the chunk is 16 bytes long, and, for the
        // extensible format, its 22-byte extension when the chunk holds it.
        bool ReadBody(std::istream& input) override;
        // 18 bytes, plus the extension when an extensible format carries one.
        bool WriteBody(std::ostream& output) override;

        // The representation of the samples: tag 1 integer, tag 3 floating point, and the
        // extensible format whose sub-format is one of those two. Nothing for any other tag or
        // for a size the representation does not have.
        std::optional<CBitDepth> GetSampleBitDepth() const;

        std::uint16_t GetFormatTag() const { return formatTag_; }
        void SetFormatTag(std::uint16_t value) { formatTag_ = value; }
        std::uint16_t GetChannelCount() const { return channelCount_; }
        void SetChannelCount(std::uint16_t value) { channelCount_ = value; }
        std::uint32_t GetSampleRate() const { return sampleRate_; }
        void SetSampleRate(std::uint32_t value) { sampleRate_ = value; }
        std::uint32_t GetAverageBytesPerSecond() const { return averageBytesPerSecond_; }
        void SetAverageBytesPerSecond(std::uint32_t value) { averageBytesPerSecond_ = value; }
        std::uint16_t GetBlockAlignment() const { return blockAlignment_; }
        void SetBlockAlignment(std::uint16_t value) { blockAlignment_ = value; }
        std::uint16_t GetBitsPerSample() const { return bitsPerSample_; }
        void SetBitsPerSample(std::uint16_t value) { bitsPerSample_ = value; }
        std::uint16_t GetExtraSize() const { return extraSize_; }
        void SetExtraSize(std::uint16_t value) { extraSize_ = value; }

        bool HasExtension() const { return hasExtension_; }
        std::uint16_t GetValidBitsPerSample() const { return validBitsPerSample_; }
        std::uint32_t GetChannelMask() const { return channelMask_; }
        const CGuid& GetSubFormat() const { return subFormat_; }
        void SetExtension(std::uint16_t validBits, std::uint32_t channelMask,
                          const CGuid& subFormat);
        // The sub-format identifier that stands for a plain format tag.
        static CGuid SubFormatOf(std::uint16_t tag);

    private:
        std::uint16_t formatTag_ = 0;
        std::uint16_t channelCount_ = 0;
        std::uint32_t sampleRate_ = 0;
        std::uint32_t averageBytesPerSecond_ = 0;
        std::uint16_t blockAlignment_ = 0;
        std::uint16_t bitsPerSample_ = 0;
        std::uint16_t extraSize_ = 0;
        bool hasExtension_ = false;
        std::uint16_t validBitsPerSample_ = 0;
        std::uint32_t channelMask_ = 0;
        CGuid subFormat_{};
    };

    class CDataChunk : public CIffDataChunk {
    public:
        explicit CDataChunk(bool loadData);
    };

    class CSamplerChunk : public CIffChunk {
    public:
        struct CLoop {
            std::uint32_t cuePointIdentifier = 0;
            std::uint32_t type = 0;
            std::uint32_t start = 0;
            std::uint32_t end = 0;
            std::uint32_t fraction = 0;
            std::uint32_t playCount = 0;
            bool operator==(const CLoop&) const = default;
        };

        CSamplerChunk();

        bool ReadBody(std::istream& input) override;
        // The loop count and sampler data size are taken from the vectors.
        bool WriteBody(std::ostream& output) override;

        std::uint32_t manufacturer = 0;
        std::uint32_t product = 0;
        std::uint32_t samplePeriod = 0;
        std::uint32_t midiUnityNote = 0;
        std::uint32_t midiPitchFraction = 0;
        std::uint32_t smpteFormat = 0;
        std::uint32_t smpteOffset = 0;
        std::uint32_t loopCount = 0;
        std::uint32_t samplerDataSize = 0;
        std::vector<CLoop> loops;
        std::vector<std::uint8_t> samplerData;
    };

    // The layout of the samples of a tree read with "fmt " and "data", or nothing when the
    // representation, the channel count or the rate cannot describe sound.
    static std::optional<CSampleDataLayout> DescribeSampleData(const CIffContainerChunk& root);

    // Writes the 46-byte header of an exported file from position 0: "fmt " of 18 bytes, then
    // "data" over the samples in [dataBegin, dataEnd), which are passed over, not written. False
    // when the stream fails or the values do not fit the header's fields.
    static bool WriteHeader(std::ostream& output, const CBitDepth& bitDepth, double sampleRate,
                            int channelCount, std::int32_t dataBegin, std::int32_t dataEnd);
    // Whether WriteHeader can describe a stream of that shape.
    static bool CanWriteHeader(const CBitDepth& bitDepth, double sampleRate, int channelCount);
    static constexpr std::int32_t HeaderSize = 46;
};

} // namespace SL

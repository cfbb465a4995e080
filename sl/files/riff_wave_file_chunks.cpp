#include "sl/files/riff_wave_file_chunks.h"

#include "sl/files/stream_extent.h"

#include <cmath>
#include <limits>

namespace SL {

namespace {

constexpr int Little = GT::CEndianness::LittleEndian;
using Code = CIffChunk::CFourCharacterCode;

// The last 14 bytes of every sub-format identifier that stands for a plain format tag.
constexpr std::array<std::uint8_t, 14> SubFormatSuffix = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

} // namespace

// --- CRiffWaveChunk ---

std::unique_ptr<CIffChunk>
CRiffWaveFileChunks::CRiffWaveChunk::CDefaultChunkFactory::Create(const Code& identifier) {
    if (identifier == Code::Fmt) {
        return std::make_unique<CFormatChunk>();
    }
    if (identifier == Code::Data) {
        return std::make_unique<CDataChunk>(loadData_);
    }
    if (identifier == Code::Smpl) {
        return std::make_unique<CSamplerChunk>();
    }
    return nullptr;
}

CRiffWaveFileChunks::CRiffWaveChunk::CRiffWaveChunk(std::shared_ptr<IChunkFactory> factory)
    : CIffContainerChunk(Code::Riff, Little, Code::Wave, std::move(factory)) {}

// --- CFormatChunk ---

CRiffWaveFileChunks::CFormatChunk::CFormatChunk() : CIffChunk(Code::Fmt, Little) {}

bool CRiffWaveFileChunks::CFormatChunk::ReadBody(std::istream& input) {
    if (!ReadField(input, formatTag_) || !ReadField(input, channelCount_) ||
        !ReadField(input, sampleRate_) || !ReadField(input, averageBytesPerSecond_) ||
        !ReadField(input, blockAlignment_) || !ReadField(input, bitsPerSample_)) {
        return false;
    }
    if (GetHeader().GetSize() != 16 && !ReadField(input, extraSize_)) {
        return false;
    }
    hasExtension_ = false;
    if (formatTag_ == ExtensibleTag && extraSize_ >= 22 && GetBodyBytesLeft(input) >= 22) {
        std::vector<std::uint8_t> guid;
        if (!ReadField(input, validBitsPerSample_) || !ReadField(input, channelMask_) ||
            !ReadBytes(input, subFormat_.size(), guid)) {
            return false;
        }
        std::copy(guid.begin(), guid.end(), subFormat_.begin());
        hasExtension_ = true;
    }
    return input.good();
}

bool CRiffWaveFileChunks::CFormatChunk::WriteBody(std::ostream& output) {
    bool good = WriteField(output, formatTag_) && WriteField(output, channelCount_) &&
                WriteField(output, sampleRate_) && WriteField(output, averageBytesPerSecond_) &&
                WriteField(output, blockAlignment_) && WriteField(output, bitsPerSample_) &&
                WriteField(output, extraSize_);
    if (good && hasExtension_ && formatTag_ == ExtensibleTag) {
        good = WriteField(output, validBitsPerSample_) && WriteField(output, channelMask_) &&
               WriteBytes(output, subFormat_.data(), subFormat_.size());
    }
    return good;
}

void CRiffWaveFileChunks::CFormatChunk::SetExtension(std::uint16_t validBits,
                                                     std::uint32_t channelMask,
                                                     const CGuid& subFormat) {
    hasExtension_ = true;
    validBitsPerSample_ = validBits;
    channelMask_ = channelMask;
    subFormat_ = subFormat;
}

CRiffWaveFileChunks::CFormatChunk::CGuid
CRiffWaveFileChunks::CFormatChunk::SubFormatOf(std::uint16_t tag) {
    CGuid guid{};
    guid[0] = static_cast<std::uint8_t>(tag);
    guid[1] = static_cast<std::uint8_t>(tag >> 8);
    std::copy(SubFormatSuffix.begin(), SubFormatSuffix.end(), guid.begin() + 2);
    return guid;
}

std::optional<CBitDepth> CRiffWaveFileChunks::CFormatChunk::GetSampleBitDepth() const {
    std::uint16_t tag = formatTag_;
    if (tag == ExtensibleTag) {
        if (!hasExtension_) {
            return std::nullopt;
        }
        if (subFormat_ == SubFormatOf(PcmTag)) {
            tag = PcmTag;
        } else if (subFormat_ == SubFormatOf(FloatTag)) {
            tag = FloatTag;
        } else {
            return std::nullopt;
        }
    }
    if (tag == PcmTag) {
        return CBitDepth::FindIntegerBits(bitsPerSample_);
    }
    if (tag == FloatTag) {
        return CBitDepth::FindFloatBits(bitsPerSample_);
    }
    return std::nullopt;
}

// --- CDataChunk ---

CRiffWaveFileChunks::CDataChunk::CDataChunk(bool loadData)
    : CIffDataChunk(Code::Data, Little, loadData) {}

// --- CSamplerChunk ---

CRiffWaveFileChunks::CSamplerChunk::CSamplerChunk() : CIffChunk(Code::Smpl, Little) {}

bool CRiffWaveFileChunks::CSamplerChunk::ReadBody(std::istream& input) {
    for (std::uint32_t* field :
         {&manufacturer, &product, &samplePeriod, &midiUnityNote, &midiPitchFraction, &smpteFormat,
          &smpteOffset, &loopCount, &samplerDataSize}) {
        if (!ReadField(input, *field)) {
            return false;
        }
    }
    // Checked before reserving, so a forged count cannot allocate past the chunk.
    constexpr std::int64_t LoopBytes = 24;
    if (static_cast<std::int64_t>(loopCount) * LoopBytes > GetBodyBytesLeft(input)) {
        input.setstate(std::ios::failbit);
        return false;
    }
    std::vector<CLoop> read(loopCount);
    for (CLoop& loop : read) {
        for (std::uint32_t* field : {&loop.cuePointIdentifier, &loop.type, &loop.start, &loop.end,
                                     &loop.fraction, &loop.playCount}) {
            if (!ReadField(input, *field)) {
                return false;
            }
        }
    }
    loops = std::move(read);
    return ReadBytes(input, samplerDataSize, samplerData);
}

bool CRiffWaveFileChunks::CSamplerChunk::WriteBody(std::ostream& output) {
    loopCount = static_cast<std::uint32_t>(loops.size());
    samplerDataSize = static_cast<std::uint32_t>(samplerData.size());
    for (std::uint32_t field :
         {manufacturer, product, samplePeriod, midiUnityNote, midiPitchFraction, smpteFormat,
          smpteOffset, loopCount, samplerDataSize}) {
        if (!WriteField(output, field)) {
            return false;
        }
    }
    for (const CLoop& loop : loops) {
        for (std::uint32_t field : {loop.cuePointIdentifier, loop.type, loop.start, loop.end,
                                    loop.fraction, loop.playCount}) {
            if (!WriteField(output, field)) {
                return false;
            }
        }
    }
    return WriteBytes(output, samplerData.data(), samplerData.size());
}

// --- Reading and writing whole files ---

std::optional<CSampleDataLayout>
CRiffWaveFileChunks::DescribeSampleData(const CIffContainerChunk& root) {
    const auto format = root.FindChunkAs<CFormatChunk>(Code::Fmt);
    const auto data = root.FindChunkAs<CIffDataChunk>(Code::Data);
    if (!format || !data) {
        return std::nullopt;
    }
    const std::optional<CBitDepth> bitDepth = format->GetSampleBitDepth();
    const double rate = format->GetSampleRate();
    const std::int32_t channels = format->GetChannelCount();
    if (!bitDepth || channels < 1 || !IsUsableSampleRate(rate)) {
        return std::nullopt;
    }
    const std::int32_t bytesPerSample = bitDepth->GetBytesPerSample();
    const std::int32_t frames = data->GetHeader().GetSize() / channels / bytesPerSample;

    CSampleDataLayout layout;
    layout.fileFormat = CWaveFileFormat::WINWAVE;
    layout.endianness = Little;
    layout.bitDepth = *bitDepth;
    layout.sampleRate = rate;
    layout.channelCount = channels;
    layout.frameCount = frames;
    layout.dataBegin = data->GetHeader().GetOffset();
    // Whole frames only: a partial frame at the end would be delivered as stray samples.
    layout.dataEnd = layout.dataBegin + frames * channels * bytesPerSample;
    return layout;
}

namespace {

// The header fields derived from a stream's shape, or nothing when a field cannot hold them.
struct CFormatFields {
    std::uint32_t rate;
    std::uint32_t averageBytesPerSecond;
    std::uint16_t blockAlignment;
};

std::optional<CFormatFields> FormatFieldsOf(const CBitDepth& bitDepth, double sampleRate,
                                            int channelCount) {
    const int bytesPerSample = bitDepth.GetBytesPerSample();
    const double roundedRate = std::round(sampleRate); // halves away from zero
    const std::int64_t blockAlignment = std::int64_t{channelCount} * bytesPerSample;
    if (bytesPerSample < 1 || channelCount < 1 || channelCount > 0xFFFF ||
        blockAlignment > 0xFFFF || !(roundedRate >= 1) ||
        roundedRate > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    const auto rate = static_cast<std::uint32_t>(roundedRate);
    const std::uint64_t averageBytesPerSecond =
        std::uint64_t(bitDepth.GetBits() / 8) * std::uint64_t(channelCount) * rate;
    if (averageBytesPerSecond > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return CFormatFields{rate, static_cast<std::uint32_t>(averageBytesPerSecond),
                         static_cast<std::uint16_t>(blockAlignment)};
}

} // namespace

bool CRiffWaveFileChunks::CanWriteHeader(const CBitDepth& bitDepth, double sampleRate,
                                         int channelCount) {
    return FormatFieldsOf(bitDepth, sampleRate, channelCount).has_value();
}

bool CRiffWaveFileChunks::WriteHeader(std::ostream& output, const CBitDepth& bitDepth,
                                      double sampleRate, int channelCount, std::int32_t dataBegin,
                                      std::int32_t dataEnd) {
    const std::optional<CFormatFields> fields = FormatFieldsOf(bitDepth, sampleRate, channelCount);
    if (!fields || dataEnd < dataBegin) {
        return false;
    }

    CRiffWaveChunk root(std::make_shared<CRiffWaveChunk::CDefaultChunkFactory>(false));
    auto format = std::make_shared<CFormatChunk>();
    format->SetFormatTag(bitDepth.GetKind() == CBitDepth::IntegerKind ? CFormatChunk::PcmTag
                                                                      : CFormatChunk::FloatTag);
    format->SetChannelCount(static_cast<std::uint16_t>(channelCount));
    format->SetSampleRate(fields->rate);
    format->SetAverageBytesPerSecond(fields->averageBytesPerSecond);
    format->SetBlockAlignment(fields->blockAlignment);
    format->SetBitsPerSample(static_cast<std::uint16_t>(bitDepth.GetBits()));
    format->SetExtraSize(0);
    auto data = std::make_shared<CDataChunk>(false);
    data->SetStreamedSize(dataEnd - dataBegin);
    root.push_back(format);
    root.push_back(data);

    output.clear();
    output.seekp(0);
    return root.Write(output);
}

} // namespace SL

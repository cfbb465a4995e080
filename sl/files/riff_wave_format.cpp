#include "sl/files/riff_wave_format.h"

#include "sl/files/sample_data_wave.h"

namespace SL {

namespace {

using Code = CIffChunk::CFourCharacterCode;
using CChunks = CRiffWaveFileChunks;
using CFormatChunk = CChunks::CFormatChunk;

CLoopMode SamplerLoopMode(const CChunks::CSamplerChunk::CLoop& loop) {
    const bool once = loop.playCount == 1;
    switch (loop.type) {
    case 0:
        return once ? CLoopMode::ONE_SHOT : CLoopMode::FWD;
    case 1:
        return once ? CLoopMode::ONE_SHOT : CLoopMode::ALT_PLUS_PLUS;
    case 2:
        return once ? CLoopMode::ONE_SHOT_R : CLoopMode::FWD_R;
    default:
        return CLoopMode::ONE_SHOT;
    }
}

std::shared_ptr<IWave> Convert(const CIffContainerChunk& root) {
    const std::optional<CSampleDataLayout> layout = CChunks::DescribeSampleData(root);
    if (!layout) {
        return nullptr;
    }
    const auto data = root.FindChunkAs<CChunks::CDataChunk>(Code::Data);
    std::shared_ptr<IChannelCollection> channels =
        data && data->IsLoadedIntoMemory()
            ? DecodeChannels(*layout,
                             FramesOf(*layout, *data->GetData(), data->GetHeader().GetOffset()))
            : DescribeChannels(*layout);
    std::shared_ptr<IWave> wave = MakeWave(*layout, std::move(channels));

    if (const auto sampler = root.FindChunkAs<CChunks::CSamplerChunk>(Code::Smpl)) {
        // The pitch fraction raises the root key by up to one semitone.
        const double note = sampler->midiUnityNote;
        const double fraction = sampler->midiPitchFraction / 4294967295.0;
        wave->SetPitch({note, fraction, note + fraction});
        if (!sampler->loops.empty()) {
            // Sampler loop ends name the last frame of the loop, as point 3 does.
            const CChunks::CSamplerChunk::CLoop& first = sampler->loops.front();
            wave->GetLoop()->SetPoint2(first.start);
            wave->GetLoop()->SetPoint3(first.end);
            wave->GetLoop()->SetLoopMode(SamplerLoopMode(first));
        }
    }
    return wave;
}

// A format chunk whose encoding no reader has says which one it is, so the user hears more
// than "damaged".
std::optional<CWaveLoadProblem> ExplainUnsupportedEncoding(const CIffContainerChunk& root) {
    const auto format = root.FindChunkAs<CFormatChunk>(Code::Fmt);
    if (!format || format->GetSampleBitDepth()) {
        return std::nullopt;
    }
    std::uint16_t tag = format->GetFormatTag();
    if (tag == CFormatChunk::ExtensibleTag && format->HasExtension()) {
        const CFormatChunk::CGuid& subFormat = format->GetSubFormat();
        const auto subTag = static_cast<std::uint16_t>(subFormat[0] | subFormat[1] << 8);
        if (subFormat == CFormatChunk::SubFormatOf(subTag)) {
            tag = subTag;
        }
    }
    CWaveLoadProblem problem;
    problem.reason = CWaveLoadProblem::CReason::UnsupportedFormatTag;
    problem.formatTag = tag;
    if (tag == CFormatChunk::PcmTag || tag == CFormatChunk::FloatTag) {
        problem.reason = CWaveLoadProblem::CReason::UnsupportedSampleFormat;
        problem.bitsPerSample = format->GetBitsPerSample();
        problem.floatingPoint = tag == CFormatChunk::FloatTag;
    }
    return problem;
}

} // namespace

CAudioFileFormat RiffWaveFormat() {
    CAudioFileFormat format;
    format.fileFormat = CWaveFileFormat::WINWAVE;
    format.rootIdentifier = Code::Riff;
    format.endianness = GT::CEndianness::LittleEndian;
    format.signedEightBitSamples = false;
    format.isReadable = [](std::istream& input) { return CRiffWaveDto(nullptr).IsReadable(input); };
    format.createRoot = [](bool loadData) -> std::unique_ptr<CIffContainerChunk> {
        return std::make_unique<CRiffWaveDto>(
            std::make_shared<CChunks::CRiffWaveChunk::CDefaultChunkFactory>(loadData));
    };
    format.describeSampleData = &CChunks::DescribeSampleData;
    format.convertToWave = &Convert;
    format.explainUnsupportedEncoding = &ExplainUnsupportedEncoding;
    format.headerSize = CChunks::HeaderSize;
    format.canWriteHeader = &CChunks::CanWriteHeader;
    format.writeHeader = &CChunks::WriteHeader;
    return format;
}

std::shared_ptr<IWave> ConvertToWave(const CRiffWaveDto& dto) {
    return Convert(dto);
}

} // namespace SL

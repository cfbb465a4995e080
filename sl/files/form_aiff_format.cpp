#include "sl/files/form_aiff_format.h"

#include "sl/files/sample_data_wave.h"

#include <algorithm>

namespace SL {

namespace {

using Code = CIffChunk::CFourCharacterCode;
using CChunks = CFormAiffFileChunks;

CLoopMode InstrumentLoopMode(std::int16_t playMode) {
    switch (playMode) {
    case 1:
        return CLoopMode::FWD;
    case 2:
        return CLoopMode::ALT_PLUS_PLUS;
    default:
        return CLoopMode::ONE_SHOT;
    }
}

std::shared_ptr<IWave> Convert(const CIffContainerChunk& root) {
    const std::optional<CSampleDataLayout> layout = CChunks::DescribeSampleData(root);
    if (!layout) {
        return nullptr;
    }
    const auto sound = root.FindChunkAs<CChunks::CSoundDataChunk>(Code::Ssnd);
    std::shared_ptr<IChannelCollection> channels;
    if (sound && sound->IsLoadedIntoMemory()) {
        std::vector<std::uint8_t> frames = FramesOf(*layout, *sound->GetData(),
                                                    std::int64_t{sound->GetHeader().GetOffset()} +
                                                        CChunks::CSoundDataChunk::FieldsSize);
        if (layout->bitDepth == CBitDepth::INTEGER8) {
            // Two's complement on disk, offset binary for the decoder.
            for (std::uint8_t& byte : frames) {
                byte ^= 0x80;
            }
        }
        channels = DecodeChannels(*layout, frames);
    } else {
        channels = DescribeChannels(*layout);
    }
    std::shared_ptr<IWave> wave = MakeWave(*layout, std::move(channels));

    if (const auto instrument = root.FindChunkAs<CChunks::CInstrumentChunk>(Code::Inst)) {
        // The detune, in cents, moves the root key up or down by up to half a semitone.
        const double note = instrument->baseNote;
        const double detune = instrument->detune / 100.0;
        wave->SetPitch({note, detune, note + detune});
        const CChunks::CInstrumentChunk::CLoop& sustain = instrument->sustainLoop;
        wave->GetLoop()->SetLoopMode(InstrumentLoopMode(sustain.playMode));
        if (const auto markers = root.FindChunkAs<CChunks::CMarkerChunk>(Code::Mark)) {
            auto find = [&](std::int16_t identifier) {
                return std::find_if(
                    markers->markers.begin(), markers->markers.end(),
                    [&](const auto& marker) { return marker.identifier == identifier; });
            };
            const auto begin = find(sustain.beginMarker);
            const auto end = find(sustain.endMarker);
            // Markers stand between frames: the loop's last frame is the one before its end.
            if (begin != markers->markers.end() && end != markers->markers.end() &&
                begin->position < end->position) {
                wave->GetLoop()->SetPoint2(begin->position);
                wave->GetLoop()->SetPoint3(end->position - 1.0);
            }
        }
    }
    return wave;
}

// A sample size no reader has is named, so the user hears more than "damaged".
std::optional<CWaveLoadProblem> ExplainUnsupportedEncoding(const CIffContainerChunk& root) {
    const auto common = root.FindChunkAs<CChunks::CCommonChunk>(Code::Comm);
    if (!common || CBitDepth::FindIntegerBits(common->sampleSize)) {
        return std::nullopt;
    }
    CWaveLoadProblem problem;
    problem.reason = CWaveLoadProblem::CReason::UnsupportedSampleFormat;
    problem.bitsPerSample = common->sampleSize;
    return problem;
}

} // namespace

CAudioFileFormat FormAiffFormat() {
    CAudioFileFormat format;
    format.fileFormat = CWaveFileFormat::AIFF;
    format.rootIdentifier = Code::Form;
    format.endianness = GT::CEndianness::BigEndian;
    format.signedEightBitSamples = true;
    format.isReadable = [](std::istream& input) { return CFormAiffDto(nullptr).IsReadable(input); };
    format.createRoot = [](bool loadData) -> std::unique_ptr<CIffContainerChunk> {
        return std::make_unique<CFormAiffDto>(
            std::make_shared<CChunks::CFormAiffChunk::CDefaultChunkFactory>(loadData));
    };
    format.describeSampleData = &CChunks::DescribeSampleData;
    format.convertToWave = &Convert;
    format.explainUnsupportedEncoding = &ExplainUnsupportedEncoding;
    format.headerSize = CChunks::HeaderSize;
    format.canWriteHeader = &CChunks::CanWriteHeader;
    format.writeHeader = &CChunks::WriteHeader;
    return format;
}

std::shared_ptr<IWave> ConvertToWave(const CFormAiffDto& dto) {
    return Convert(dto);
}

} // namespace SL

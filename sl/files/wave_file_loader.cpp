#include "sl/files/wave_file_loader.h"

#include "sl/files/file_data_source.h"
#include "sl/files/stream_extent.h"
#include "sl/model/domain.h"
#include "sl/samples/interleaved_buffer.h"

#include <algorithm>

namespace SL {

namespace {

using Code = CIffChunk::CFourCharacterCode;

// The payload of a loaded data chunk, decoded channel by channel.
std::shared_ptr<IChannelCollection> DecodeChannels(const CSampleDataLayout& layout,
                                                   const std::vector<std::uint8_t>& frames) {
    auto channels = std::make_shared<CTypedChannelCollection<0x20040>>(CWaveFormat::WAVE);
    channels->SetChannelCount(static_cast<std::size_t>(layout.channelCount));
    VisitStreamableTag<bool>(layout.bitDepth.GetValue(), [&](auto tag) {
        for (int c = 0; c < layout.channelCount; ++c) {
            std::vector<double>& samples =
                channels->GetTypedChannel(static_cast<std::size_t>(c))->GetBuffer().GetSamples();
            CInterleavedBuffer<tag.value>(frames.data(), frames.size(), layout.channelCount, c, 1,
                                          layout.endianness)
                .AppendTo(samples);
        }
        return true;
    });
    channels->CLocatedRange::SetRange({0, layout.frameCount});
    return channels;
}

std::shared_ptr<IChannelCollection> DescribeChannels(const CSampleDataLayout& layout) {
    auto channels = std::make_shared<CChannelCollection>(CWaveFormat::WAVE);
    channels->SetChannelCount(static_cast<std::size_t>(layout.channelCount));
    channels->SetRange({0, layout.frameCount});
    return channels;
}

// The bytes of the whole frames of a loaded payload whose first byte lies at payloadOffset.
std::vector<std::uint8_t> FramesOf(const CSampleDataLayout& layout,
                                   const std::vector<std::uint8_t>& payload,
                                   std::int64_t payloadOffset) {
    const std::int64_t first = layout.dataBegin - payloadOffset;
    const std::int64_t last = layout.dataEnd - payloadOffset;
    if (first < 0 || last < first || last > static_cast<std::int64_t>(payload.size())) {
        return {};
    }
    return std::vector<std::uint8_t>(payload.begin() + first, payload.begin() + last);
}

std::shared_ptr<IWave> MakeWave(const CSampleDataLayout& layout,
                                std::shared_ptr<IChannelCollection> channels) {
    std::shared_ptr<IWave> wave = CDefaultDomain::Instance().GetWaveDescription().Create();
    wave->SetSourceBitDepth(layout.bitDepth);
    wave->SetSampleRate(layout.sampleRate);
    wave->SetRange({0, layout.frameCount});
    if (channels->GetChannelCount() == 2) {
        channels->GetChannel(0)->SetPlacement(-1);
        channels->GetChannel(1)->SetPlacement(1);
    }
    wave->SetChannels(std::move(channels));
    const std::shared_ptr<ILoop> loop = wave->GetLoop();
    loop->SetPoint0(0);
    loop->SetPoint2(0);
    loop->SetPoint3(layout.frameCount - 1.0);
    loop->SetLoopMode(CLoopMode::ONE_SHOT);
    return wave;
}

CLoopMode SamplerLoopMode(const CRiffWaveFileChunks::CSamplerChunk::CLoop& loop) {
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

} // namespace

std::shared_ptr<IWave> ConvertToWave(const CRiffWaveDto& dto) {
    const std::optional<CSampleDataLayout> layout = CRiffWaveFileChunks::DescribeSampleData(dto);
    if (!layout) {
        return nullptr;
    }
    const auto data = dto.FindChunkAs<CRiffWaveFileChunks::CDataChunk>(Code::Data);
    std::shared_ptr<IChannelCollection> channels =
        data && data->IsLoadedIntoMemory()
            ? DecodeChannels(*layout,
                             FramesOf(*layout, *data->GetData(), data->GetHeader().GetOffset()))
            : DescribeChannels(*layout);
    std::shared_ptr<IWave> wave = MakeWave(*layout, std::move(channels));

    if (const auto sampler = dto.FindChunkAs<CRiffWaveFileChunks::CSamplerChunk>(Code::Smpl)) {
        // The pitch fraction raises the root key by up to one semitone.
        const double note = sampler->midiUnityNote;
        const double fraction = sampler->midiPitchFraction / 4294967295.0;
        wave->SetPitch({note, fraction, note + fraction});
        if (!sampler->loops.empty()) {
            // Sampler loop ends name the last frame of the loop, as point 3 does.
            const CRiffWaveFileChunks::CSamplerChunk::CLoop& first = sampler->loops.front();
            wave->GetLoop()->SetPoint2(first.start);
            wave->GetLoop()->SetPoint3(first.end);
            wave->GetLoop()->SetLoopMode(SamplerLoopMode(first));
        }
    }
    return wave;
}

std::shared_ptr<IWave> ConvertToWave(const CFormAiffDto& dto) {
    const std::optional<CSampleDataLayout> layout = CFormAiffFileChunks::DescribeSampleData(dto);
    if (!layout) {
        return nullptr;
    }
    const auto sound = dto.FindChunkAs<CFormAiffFileChunks::CSoundDataChunk>(Code::Ssnd);
    std::shared_ptr<IChannelCollection> channels;
    if (sound && sound->IsLoadedIntoMemory()) {
        std::vector<std::uint8_t> frames =
            FramesOf(*layout, *sound->GetData(),
                     std::int64_t{sound->GetHeader().GetOffset()} +
                         CFormAiffFileChunks::CSoundDataChunk::FieldsSize);
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

    if (const auto instrument =
            dto.FindChunkAs<CFormAiffFileChunks::CInstrumentChunk>(Code::Inst)) {
        // The detune, in cents, moves the root key up or down by up to half a semitone.
        const double note = instrument->baseNote;
        const double detune = instrument->detune / 100.0;
        wave->SetPitch({note, detune, note + detune});
        const CFormAiffFileChunks::CInstrumentChunk::CLoop& sustain = instrument->sustainLoop;
        wave->GetLoop()->SetLoopMode(InstrumentLoopMode(sustain.playMode));
        if (const auto markers = dto.FindChunkAs<CFormAiffFileChunks::CMarkerChunk>(Code::Mark)) {
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

namespace {

using CReason = CWaveLoadProblem::CReason;

CLoadedWave Refused(CReason reason, CWaveFileFormat fileFormat = CWaveFileFormat::INVALID) {
    CLoadedWave refused;
    refused.fileFormat = fileFormat;
    refused.problem.reason = reason;
    return refused;
}

// Whether the input ends before the end its root chunk declares: a file cut short keeps the
// size its writer put in the header. The stream is left cleared at its start.
bool EndsBeforeItsRootChunk(std::istream& input, const CIffChunk& root) {
    input.clear();
    const std::int64_t end = GetInputEnd(input);
    input.clear();
    input.seekg(0);
    return end >= 0 && root.GetHeader().GetSize() > 0 && root.GetHeader().GetBodyEnd() > end;
}

// A header that starts like a RIFF or FORM file but has no room for its form type.
bool IsCutInsideItsHeader(std::istream& input) {
    input.clear();
    input.seekg(0);
    char start[4] = {};
    input.read(start, sizeof start);
    const bool container =
        input.gcount() == 4 && (std::string(start, 4) == "RIFF" || std::string(start, 4) == "FORM");
    input.clear();
    const std::int64_t end = GetInputEnd(input);
    input.clear();
    input.seekg(0);
    return container && end >= 0 && end < 12;
}

// Why a WAVE file read without giving a wave: its format chunk, when it has one, tells whether
// the encoding is one the readers lack.
CLoadedWave ExplainWave(std::istream& input, const CRiffWaveDto& dto) {
    using CFormatChunk = CRiffWaveFileChunks::CFormatChunk;
    const auto format = dto.FindChunkAs<CFormatChunk>(Code::Fmt);
    if (format && !format->GetSampleBitDepth()) {
        std::uint16_t tag = format->GetFormatTag();
        if (tag == CFormatChunk::ExtensibleTag && format->HasExtension()) {
            const CFormatChunk::CGuid& subFormat = format->GetSubFormat();
            const auto subTag = static_cast<std::uint16_t>(subFormat[0] | subFormat[1] << 8);
            if (subFormat == CFormatChunk::SubFormatOf(subTag)) {
                tag = subTag;
            }
        }
        CLoadedWave refused = Refused(CReason::UnsupportedFormatTag, CWaveFileFormat::WINWAVE);
        refused.problem.formatTag = tag;
        if (tag == CFormatChunk::PcmTag || tag == CFormatChunk::FloatTag) {
            refused.problem.reason = CReason::UnsupportedSampleFormat;
            refused.problem.bitsPerSample = format->GetBitsPerSample();
            refused.problem.floatingPoint = tag == CFormatChunk::FloatTag;
        }
        return refused;
    }
    return Refused(EndsBeforeItsRootChunk(input, dto) ? CReason::Truncated : CReason::Damaged,
                   CWaveFileFormat::WINWAVE);
}

bool HasIntegerReader(int bits) {
    try {
        CBitDepth::FromIntegerBits(bits);
        return true;
    } catch (const CBitDepth::CError&) {
        return false;
    }
}

CLoadedWave ExplainAiff(std::istream& input, const CFormAiffDto& dto) {
    const auto common = dto.FindChunkAs<CFormAiffFileChunks::CCommonChunk>(Code::Comm);
    if (common && !HasIntegerReader(common->sampleSize)) {
        CLoadedWave refused = Refused(CReason::UnsupportedSampleFormat, CWaveFileFormat::AIFF);
        refused.problem.bitsPerSample = common->sampleSize;
        return refused;
    }
    return Refused(EndsBeforeItsRootChunk(input, dto) ? CReason::Truncated : CReason::Damaged,
                   CWaveFileFormat::AIFF);
}

CLoadedWave ReadWave(std::istream& input) {
    CRiffWaveDto wave(
        std::make_shared<CRiffWaveFileChunks::CRiffWaveChunk::CDefaultChunkFactory>(false));
    if (wave.IsReadable(input)) {
        CLoadedWave loaded;
        if (wave.Read(input)) {
            loaded.wave = ConvertToWave(wave);
            loaded.fileFormat = CWaveFileFormat::WINWAVE;
        }
        return loaded.wave ? loaded : ExplainWave(input, wave);
    }
    CFormAiffDto aiff(
        std::make_shared<CFormAiffFileChunks::CFormAiffChunk::CDefaultChunkFactory>(false));
    if (aiff.IsReadable(input)) {
        CLoadedWave loaded;
        if (aiff.Read(input)) {
            loaded.wave = ConvertToWave(aiff);
            loaded.fileFormat = CWaveFileFormat::AIFF;
        }
        return loaded.wave ? loaded : ExplainAiff(input, aiff);
    }
    return Refused(IsCutInsideItsHeader(input) ? CReason::Truncated : CReason::NotWaveOrAiff);
}

} // namespace

CLoadedWave LoadWave(std::istream& input) {
    try {
        return ReadWave(input);
    } catch (const CBitDepth::CError&) {
        return Refused(CReason::Damaged);
    }
}

CLoadedWave LoadWaveFile(const std::string& path) {
    const std::shared_ptr<std::istream> input =
        CFileDataSource(path, CFileAccess::ReadExisting).OpenInput();
    if (input) {
        return LoadWave(*input);
    }
    const COpenFailure failure = ExplainOpenFailure(path);
    CLoadedWave refused;
    refused.problem.fileKind = failure.kind;
    refused.problem.errorNumber = failure.errorNumber;
    switch (failure.reason) {
    case COpenFailure::CReason::NoSuchFile:
        refused.problem.reason = CReason::NoSuchFile;
        break;
    case COpenFailure::CReason::NotRegularFile:
        refused.problem.reason = CReason::NotRegularFile;
        break;
    case COpenFailure::CReason::PermissionDenied:
        refused.problem.reason = CReason::PermissionDenied;
        break;
    case COpenFailure::CReason::None:
    case COpenFailure::CReason::Other:
        refused.problem.reason = CReason::CannotOpen;
        break;
    }
    return refused;
}

} // namespace SL

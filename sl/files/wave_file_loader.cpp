#include "sl/files/wave_file_loader.h"

#include "sl/files/file_data_source.h"
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

CLoadedWave LoadWave(std::istream& input) {
    CLoadedWave loaded;
    try {
        CRiffWaveDto wave(
            std::make_shared<CRiffWaveFileChunks::CRiffWaveChunk::CDefaultChunkFactory>(false));
        if (wave.IsReadable(input)) {
            if (wave.Read(input)) {
                loaded.wave = ConvertToWave(wave);
                loaded.fileFormat = CWaveFileFormat::WINWAVE;
            }
            return loaded.wave ? loaded : CLoadedWave{};
        }
        CFormAiffDto aiff(
            std::make_shared<CFormAiffFileChunks::CFormAiffChunk::CDefaultChunkFactory>(false));
        if (aiff.IsReadable(input) && aiff.Read(input)) {
            loaded.wave = ConvertToWave(aiff);
            loaded.fileFormat = CWaveFileFormat::AIFF;
        }
    } catch (const CBitDepth::CError&) {
        return {};
    }
    return loaded.wave ? loaded : CLoadedWave{};
}

CLoadedWave LoadWaveFile(const std::string& path) {
    const std::shared_ptr<std::istream> input =
        CFileDataSource(path, CFileAccess::ReadExisting).OpenInput();
    if (!input) {
        return {};
    }
    return LoadWave(*input);
}

} // namespace SL

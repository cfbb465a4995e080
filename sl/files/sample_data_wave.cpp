#include "sl/files/sample_data_wave.h"

#include "sl/model/domain.h"
#include "sl/samples/interleaved_buffer.h"

namespace SL {

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

} // namespace SL

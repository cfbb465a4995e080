#include "app/pad_waveform.h"

#include "app/card_sample_files.h"
#include "app/sample_iterator_lofi_decorator.h"
#include "sl/convert/sound_file_waveform.h"
#include "sl/files/file_sample_buffer_factory.h"

#include <memory>

namespace ZQ3 {

namespace {

// Samples decoded at a time; between blocks the worker looks whether it is still wanted.
constexpr std::size_t BlockSamples = 16384;

} // namespace

std::optional<PadSound> PadSound::Of(const CModel& model, int pad) {
    if (!model.hasSample(pad)) {
        return std::nullopt;
    }
    return PadSound{model.channelFilePaths(pad), model.entryOf(pad).isLofi(),
                    model.playedLength(pad)};
}

std::optional<SL::CWaveform> ReadPadWaveform(const PadSound& sound, int columnCount,
                                             const std::atomic<bool>& cancelled) {
    if (columnCount <= 0) {
        return std::nullopt;
    }
    auto card = OpenCardSampleInputIterator(sound.channelFiles, sound.lofi, sound.playedLength);
    if (!card || !card->IsGood()) {
        return std::nullopt;
    }
    if (sound.lofi) {
        // The hold is what the listener hears; the decorator that playback uses makes it.
        CSampleIteratorLofiDecorator held(std::move(card));
        return SL::ReadWaveform(held, columnCount, cancelled);
    }
    // An ordinary pad is decoded a frame block at a time, without a call per sample: this is the
    // path that decides how soon a long pad's outline appears.
    const SL::CSampleAttribute& attribute = card->GetAttribute();
    const std::int64_t frames = attribute.GetLength();
    SL::CWaveformBuilder builder(attribute.GetChannelCount(), columnCount, frames);
    std::vector<std::int16_t> block(BlockSamples);
    for (;;) {
        if (cancelled.load(std::memory_order_relaxed)) {
            return std::nullopt;
        }
        const std::size_t read = card->Read(block.data(), block.size());
        for (std::size_t i = 0; i < read; ++i) {
            builder.Add(static_cast<float>(block[i]) * (1.0f / 32768.0f));
        }
        if (read < block.size()) {
            break;
        }
    }
    if (!card->IsGood() || builder.framesAdded() < frames) {
        return std::nullopt;
    }
    SL::CWaveform waveform = builder.Finish();
    waveform.setSampleRate(attribute.GetSampleRate());
    return waveform;
}

std::optional<SL::CWaveform> ReadFileWaveform(const std::string& path, int columnCount,
                                              const std::atomic<bool>& cancelled) {
    if (auto source = SL::CFileSampleBufferFactory().CreateInputSampleIterator(path)) {
        return SL::ReadWaveform(*source, columnCount, cancelled);
    }
    return SL::ReadSoundFileWaveform(path, columnCount, cancelled);
}

} // namespace ZQ3

#include "sl/files/audio_file_format.h"

#include "sl/files/form_aiff_format.h"
#include "sl/files/riff_wave_format.h"
#include "sl/model/sound_bounds.h"

namespace SL {

std::span<const CAudioFileFormat> AudioFileFormats() {
    // RIFF WAVE is tried first: it is by far the more common of the two.
    static const CAudioFileFormat formats[] = {RiffWaveFormat(), FormAiffFormat()};
    return formats;
}

const CAudioFileFormat* RecogniseAudioFile(std::istream& input) {
    for (const CAudioFileFormat& format : AudioFileFormats()) {
        if (format.isReadable(input)) {
            return &format;
        }
    }
    return nullptr;
}

const CAudioFileFormat* FindAudioFileFormat(const CWaveFileFormat& fileFormat) {
    for (const CAudioFileFormat& format : AudioFileFormats()) {
        if (format.fileFormat == fileFormat) {
            return &format;
        }
    }
    return nullptr;
}

std::optional<CSampleDataLayout> ReadSampleDataLayout(const CAudioFileFormat& format,
                                                      std::istream& input) {
    const std::unique_ptr<CIffContainerChunk> root = format.createRoot(false);
    if (!root->Read(input)) {
        return std::nullopt;
    }
    // Ring buffers, players and decoders are sized from the layout's rate and channels.
    std::optional<CSampleDataLayout> layout = format.describeSampleData(*root);
    if (layout && !CheckSoundBounds(layout->sampleRate, layout->channelCount, layout->frameCount)
                       .withinBounds()) {
        return std::nullopt;
    }
    return layout;
}

} // namespace SL

#include "sl/codec/vexa_file_input_sample_iterator.h"

#include "sl/codec/card_sound_format.h"

#include <algorithm>
#include <cstring>

namespace SL {

CVexaFileInputSampleIterator::CVexaFileInputSampleIterator(
    std::vector<std::shared_ptr<std::istream>> streams, int bitsPerSample, std::int32_t length,
    std::int64_t dataOffset)
    : attribute_(CBitDepth::INTEGER16, CCardSoundFormat::kSampleRate,
                 static_cast<std::int32_t>(streams.size()), std::max<std::int32_t>(length, 0)),
      dataOffset_(dataOffset), bitsPerSample_(bitsPerSample),
      frameBytes_(2 * static_cast<std::size_t>(std::max(bitsPerSample, 0))),
      total_(attribute_.GetSampleCount()) {
    const std::size_t channels = streams.size();
    coding_ = CVexaCoding::Create(bitsPerSample);
    if (coding_) {
        coder_ = CVexaCoder::Create(channels, coding_);
    }
    good_ = coder_ != nullptr && dataOffset >= 0 &&
            std::all_of(streams.begin(), streams.end(), [](const auto& s) { return s != nullptr; });
    if (!good_) {
        total_ = 0;
        Advance();
        return;
    }
    pcm_ = coder_->GetPcmBuffer().data();
    slotsPerBuffer_ = coder_->GetPcmBuffer().size();

    // A short sample needs no more than its own frames in memory.
    const std::int64_t framesNeeded = std::max<std::int64_t>((attribute_.GetLength() + 15) / 16, 1);
    const std::size_t blockFrames = static_cast<std::size_t>(
        std::min<std::int64_t>(framesNeeded, std::int64_t(kBlockBytes / frameBytes_)));
    readers_.resize(channels);
    for (std::size_t c = 0; c < channels; ++c) {
        readers_[c].stream = std::move(streams[c]);
        readers_[c].block.resize(blockFrames * frameBytes_);
    }
    PositionStreams(0);
    Advance();
}

void CVexaFileInputSampleIterator::PositionStreams(std::int64_t frame) {
    for (CChannelReader& reader : readers_) {
        reader.begin = reader.end = 0;
        // Whatever read the stream before may have left it at its end.
        reader.stream->clear();
        reader.stream->seekg(dataOffset_ + frame * std::int64_t(frameBytes_));
        // A failed seek leaves the stream failed, which the next read reports.
    }
}

bool CVexaFileInputSampleIterator::Refill(CChannelReader& reader) {
    const std::size_t left = reader.end - reader.begin;
    std::memmove(reader.block.data(), reader.block.data() + reader.begin, left);
    reader.begin = 0;
    reader.end = left;
    while (reader.end < frameBytes_) {
        std::istream& stream = *reader.stream;
        if (!stream || stream.eof()) {
            return false;
        }
        stream.read(reinterpret_cast<char*>(reader.block.data() + reader.end),
                    static_cast<std::streamsize>(reader.block.size() - reader.end));
        reader.end += static_cast<std::size_t>(stream.gcount());
    }
    return true;
}

void CVexaFileInputSampleIterator::DecodeNextFrames(std::int16_t* samples, std::size_t spacing) {
    if (!good_) {
        return;
    }
    const std::size_t channels = readers_.size();
    for (std::size_t c = 0; c < channels; ++c) {
        CChannelReader& reader = readers_[c];
        if (reader.end - reader.begin < frameBytes_ && !Refill(reader)) {
            // Never decode a partial frame: its samples would be made up.
            good_ = false;
            std::fill(pcm_, pcm_ + slotsPerBuffer_, std::int16_t{0});
            return;
        }
        // The coding adds the channel to the start; the rest of its place is added here.
        coding_->DecodeFrame(reader.block.data() + reader.begin, samples + c * (spacing - 1),
                             channels * spacing, c);
        reader.begin += frameBytes_;
    }
}

std::size_t CVexaFileInputSampleIterator::DecodeFrameRun(std::int16_t* samples, std::size_t spacing,
                                                         std::size_t frames) {
    if (!good_) {
        return 0;
    }
    std::size_t run = frames;
    for (CChannelReader& reader : readers_) {
        if (reader.end - reader.begin < frameBytes_ && !Refill(reader)) {
            good_ = false;
            std::fill(pcm_, pcm_ + slotsPerBuffer_, std::int16_t{0});
            return 0;
        }
        run = std::min(run, (reader.end - reader.begin) / frameBytes_);
    }
    const std::size_t channels = readers_.size();
    for (std::size_t c = 0; c < channels; ++c) {
        CChannelReader& reader = readers_[c];
        coding_->DecodeFrames(reader.block.data() + reader.begin, run, samples + c * (spacing - 1),
                              channels * spacing, c);
        reader.begin += run * frameBytes_;
    }
    return run;
}

std::size_t CVexaFileInputSampleIterator::ReadSpaced(std::int16_t* out, std::size_t count,
                                                     std::size_t spacing) {
    std::size_t copied = 0;
    while (copied < count && IsValid()) {
        // The current sample and those after it in the decoded buffer, as far as the stream goes.
        const std::size_t run =
            std::min<std::size_t>({count - copied, slotsPerBuffer_ - current_,
                                   static_cast<std::size_t>(total_ - counter_ + 1)});
        if (spacing == 1) {
            std::memcpy(out + copied, pcm_ + current_, run * sizeof(std::int16_t));
        } else {
            for (std::size_t i = 0; i < run; ++i) {
                out[(copied + i) * spacing] = pcm_[current_ + i];
            }
        }
        copied += run;
        // Steps over the run without decoding, to its last sample; the Advance past that one
        // decodes the next frames when the run ended the buffer.
        current_ += run - 1;
        counter_ += static_cast<std::int64_t>(run - 1);
        slot_ = current_ + 1 == slotsPerBuffer_ ? 0 : current_ + 1;
        // Whole blocks the caller still wants are decoded straight into its buffer. The PCM
        // buffer is left stale meanwhile: the Advance below decodes into it before anything
        // reads it.
        // As many at a time as the channels' blocks hold.
        const auto wholeBlock = static_cast<std::int64_t>(slotsPerBuffer_);
        while (slot_ == 0 && good_ && count - copied >= slotsPerBuffer_ &&
               total_ - counter_ >= wholeBlock) {
            const std::size_t wanted =
                std::min((count - copied) / slotsPerBuffer_,
                         static_cast<std::size_t>((total_ - counter_) / wholeBlock));
            const std::size_t decoded = DecodeFrameRun(out + copied * spacing, spacing, wanted);
            copied += decoded * slotsPerBuffer_;
            counter_ += static_cast<std::int64_t>(decoded) * wholeBlock;
        }
        Advance();
    }
    return copied;
}

void CVexaFileInputSampleIterator::Seek(std::int64_t frame) {
    // An I/O error is final: a seek does not make the stream good again.
    if (!good_) {
        return;
    }
    const std::int64_t channels = attribute_.GetChannelCount();
    frame = std::clamp<std::int64_t>(frame, 0, attribute_.GetLength());
    const std::int64_t codecFrame = frame / 16;
    counter_ = frame * channels;
    slot_ = static_cast<std::size_t>((frame % 16) * channels);
    if (counter_ < total_) {
        // The prediction state entering a frame is the last sample of the frame before, which
        // that frame codes directly: decoding it alone restores the state exactly.
        const std::int64_t first = std::max<std::int64_t>(codecFrame - 1, 0);
        PositionStreams(first);
        for (std::size_t c = 0; c < readers_.size(); ++c) {
            coding_->SetState(c, 0);
        }
        if (codecFrame > 0) {
            DecodeNextFrames(pcm_);
        }
        DecodeNextFrames(pcm_);
    }
    // Make the target current without decoding again.
    current_ = slot_;
    if (++slot_ == slotsPerBuffer_) {
        slot_ = 0;
    }
    ++counter_;
}

std::int64_t CVexaFileInputSampleIterator::GetPosition() const {
    const std::int32_t channels = attribute_.GetChannelCount();
    if (channels <= 0) {
        return 0;
    }
    return (counter_ - 1) / channels;
}

} // namespace SL

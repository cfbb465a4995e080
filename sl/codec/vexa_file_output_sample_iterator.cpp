#include "sl/codec/vexa_file_output_sample_iterator.h"

#include "sl/codec/card_sound_format.h"

#include <algorithm>

namespace SL {

CVexaFileOutputSampleIterator::CVexaFileOutputSampleIterator(
    std::vector<std::shared_ptr<std::ostream>> streams, int bitsPerSample, std::int64_t dataOffset,
    std::int64_t byteLimit)
    : attribute_(CBitDepth::INTEGER16, CCardSoundFormat::kSampleRate,
                 static_cast<std::int32_t>(streams.size()), 0),
      byteLimit_(byteLimit), frameBytes_(2 * static_cast<std::size_t>(std::max(bitsPerSample, 0))),
      written_(dataOffset) {
    const std::size_t channels = streams.size();
    coding_ = CVexaCoding::Create(bitsPerSample);
    if (coding_) {
        coder_ = CVexaCoder::Create(channels, coding_);
    }
    good_ = coder_ != nullptr && dataOffset >= 0 && dataOffset <= byteLimit &&
            std::all_of(streams.begin(), streams.end(), [](const auto& s) { return s != nullptr; });
    if (!good_) {
        return;
    }
    pcm_ = coder_->GetPcmBuffer().data();
    slotsPerBuffer_ = coder_->GetPcmBuffer().size();

    writers_.resize(channels);
    for (std::size_t c = 0; c < channels; ++c) {
        CChannelWriter& writer = writers_[c];
        writer.stream = std::move(streams[c]);
        writer.block.resize(kBlockBytes / frameBytes_ * frameBytes_);
        writer.stream->clear();
        writer.stream->seekp(dataOffset);
        if (writer.stream->fail()) {
            good_ = false;
        }
    }
}

CVexaFileOutputSampleIterator::~CVexaFileOutputSampleIterator() {
    if (finished_ || !good_) {
        return;
    }
    for (CChannelWriter& writer : writers_) {
        WriteBlock(writer);
    }
}

std::size_t CVexaFileOutputSampleIterator::WriteSpaced(const std::int16_t* values,
                                                       std::size_t count, std::size_t spacing) {
    std::size_t taken = 0;
    // Whole blocks of the caller's run are coded where they lie, without passing through the
    // PCM buffer.
    while (slot_ == 0 && count - taken >= slotsPerBuffer_ && IsValid()) {
        count_ += static_cast<std::int64_t>(slotsPerBuffer_);
        EncodeFrames(values + taken * spacing, spacing);
        taken += slotsPerBuffer_;
    }
    while (taken < count && IsValid()) {
        const std::size_t run = std::min(count - taken, slotsPerBuffer_ - slot_);
        for (std::size_t i = 0; i < run; ++i) {
            pcm_[slot_ + i] = values[(taken + i) * spacing];
        }
        taken += run;
        count_ += static_cast<std::int64_t>(run);
        slot_ += run;
        if (slot_ == slotsPerBuffer_) {
            slot_ = 0;
            EncodeFrames(pcm_);
        }
    }
    return taken;
}

void CVexaFileOutputSampleIterator::EncodeFrames(const std::int16_t* samples, std::size_t spacing) {
    const std::size_t channels = writers_.size();
    for (std::size_t c = 0; c < channels; ++c) {
        CChannelWriter& writer = writers_[c];
        coding_->EncodeChannelFrame(samples + c * spacing, channels * spacing, c,
                                    writer.block.data() + writer.filled);
        writer.filled += frameBytes_;
        if (writer.filled == writer.block.size() && !WriteBlock(writer)) {
            good_ = false;
        }
    }
    written_ += std::int64_t(frameBytes_);
}

bool CVexaFileOutputSampleIterator::WriteBlock(CChannelWriter& writer) {
    const std::size_t filled = writer.filled;
    writer.filled = 0;
    if (filled == 0) {
        return true;
    }
    std::ostream& stream = *writer.stream;
    if (!stream) {
        return false;
    }
    stream.write(reinterpret_cast<const char*>(writer.block.data()),
                 static_cast<std::streamsize>(filled));
    return !stream.fail();
}

bool CVexaFileOutputSampleIterator::Finish() {
    if (finished_) {
        return finishResult_;
    }
    finished_ = true;
    bool success = good_;
    if (success && slot_ != 0) {
        // Pad the last frame with silence; the sample-information record keeps the true length.
        std::fill(pcm_ + slot_, pcm_ + slotsPerBuffer_, std::int16_t{0});
        slot_ = 0;
        EncodeFrames(pcm_);
        success = good_;
    }
    for (CChannelWriter& writer : writers_) {
        if (success) {
            success = WriteBlock(writer);
        }
        writer.stream->flush();
        if (writer.stream->fail()) {
            success = false;
        }
    }
    good_ = good_ && success;
    finishResult_ = success;
    return finishResult_;
}

} // namespace SL

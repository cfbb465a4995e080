#include "app/export_command.h"

#include "app/card_check_text.h"
#include "app/card_obstacle_details.h"
#include "app/card_sample_files.h"
#include "app/channel_pair_reader.h"
#include "app/message_catalogue.h"
#include "app/progress_session.h"
#include "app/refusal_details.h"
#include "app/sample_copy.h"
#include "app/sample_iterator_lofi_decorator.h"
#include "app/write_behind.h"
#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "sl/files/file_sample_buffer_factory.h"
#include "sl/model/wave_file_format.h"
#include "sl/samples/file_output_sample_iterator.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <sys/stat.h>
#include <vector>

namespace ZQ3 {
namespace {

using CSink = SL::ITypedOutputSampleIterator<SL::CSampleTag::Integer16>;

bool IsExportFormat(int fileFormat) {
    return fileFormat == CardLayout::FileFormatWave || fileFormat == CardLayout::FileFormatAiff;
}

// Whether path names a file in the card's own directory, whatever way the path leads there. An
// export there could replace the information file or a channel file of the card by an audio
// file, and the card would lose a sample or stop being a card at all.
bool LiesInCardDirectory(const std::string& path, const std::string& root) {
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == 0 ? "/" : path.substr(0, slash);
    struct stat destination {};
    struct stat card {};
    return ::stat(directory.c_str(), &destination) == 0 &&
           ::stat(CardLayout::CardDirectory(root).c_str(), &card) == 0 &&
           destination.st_dev == card.st_dev && destination.st_ino == card.st_ino;
}

using CPlainSink = SL::CFileOutputSampleIterator<SL::CSampleTag::Integer16>;

// The card's reader of all the channels in one, read a sample frame at a time as the pair reader
// is.
class CCardFrameSource {
public:
    explicit CCardFrameSource(SL::CVexaFileInputSampleIterator& card)
        : card_(card), channels_(static_cast<std::size_t>(card.GetAttribute().GetChannelCount())) {}
    bool IsValid() const { return card_.IsValid(); }
    bool IsGood() const { return card_.IsGood(); }
    std::size_t ReadFrames(std::int16_t* out, std::size_t frames) {
        return card_.Read(out, frames * channels_) / channels_;
    }

private:
    SL::CVexaFileInputSampleIterator& card_;
    std::size_t channels_;
};

void SwapBytes(std::int16_t* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = static_cast<std::uint16_t>(samples[i]);
        samples[i] =
            static_cast<std::int16_t>(static_cast<std::uint16_t>((value << 8) | (value >> 8)));
    }
}

// Decodes source's samples straight into the blocks the file is written from: each sample is
// stored once, by the decoder, in the file's byte order, and the block goes to the disk from
// there while the next one decodes. Progress, cancel points and results are those of
// CopySampleRuns, a block at a time; sink only keeps the count for the header that Finish writes.
template <class Source>
SampleCopyResult DecodeIntoFile(Source& source, std::size_t channels, CWriteBehindStream& file,
                                CPlainSink& sink, UL::IProgress& progress) {
    const std::size_t frameBytes = channels * sizeof(std::int16_t);
    const bool swap = !sink.WritesHostByteOrder();
    std::int64_t moved = 0;
    progress.setPosition(0);
    while (source.IsValid()) {
        if (progress.isCancelled()) {
            return SampleCopyResult::Cancelled;
        }
        const std::span<char> room = file.fillable(frameBytes);
        // Never more than the sink's range holds, so that a source left over is seen below.
        const auto frames = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(room.size() / frameBytes),
                                   sink.Room() / static_cast<std::int64_t>(channels)));
        // The block's bytes so far are whole samples, so the room is aligned for them.
        if (frames == 0 ||
            reinterpret_cast<std::uintptr_t>(room.data()) % alignof(std::int16_t) != 0) {
            return SampleCopyResult::Failed;
        }
        auto* samples = reinterpret_cast<std::int16_t*>(room.data());
        const std::size_t count = source.ReadFrames(samples, frames) * channels;
        if (swap) {
            SwapBytes(samples, count);
        }
        file.commit(count * sizeof(std::int16_t));
        if (sink.CountWrittenInPlace(count) != count) {
            return SampleCopyResult::Failed;
        }
        moved += static_cast<std::int64_t>(count);
        progress.setPosition(moved);
    }
    return source.IsGood() ? SampleCopyResult::Completed : SampleCopyResult::Failed;
}

} // namespace

std::string CExportCommand::TemporaryPathFor(const std::string& destination) {
    return TemporaryPathBeside(destination);
}

CommandOutcome CExportCommand::fail(int message, const std::string& detail) {
    return ReportedFailure(message, detail);
}

CommandOutcome CExportCommand::run(int fileFormat, const std::string& path) {
    const int pad = installed_.selectedPad;
    if (!installed_.selectedPadHasSample() || !IsExportFormat(fileFormat)) {
        return fail(MessageExportFailed);
    }
    const FileTransfer::DestinationCheck destination = FileTransfer::ExamineDestination(path, fs_);
    if (destination.problem != FileTransfer::DestinationCheck::Problem::None) {
        return fail(MessageExportFailed, DestinationDetail(path, destination));
    }
    if (LiesInCardDirectory(path, installed_.cardRoot)) {
        return fail(MessageExportFailed,
                    InsideCardDetail(path, CardLayout::CardDirectory(installed_.cardRoot)));
    }
    // A folder whose file system does not tell its free space is not refused; the write finds
    // out.
    const FileTransfer::VolumeSpace volume = FileTransfer::MeasureVolume(path, fs_);
    if (volume.freeBytes &&
        *volume.freeBytes < volume.bytesTaken(installed_.diskBytesNeeded(pad, fileFormat))) {
        return fail(MessageDiskFull);
    }

    const std::string temporary = TemporaryPathFor(path);
    temporaries_.add(temporary);

    CProgressSession session(progress_, CatalogueText(MessageExporting),
                             CatalogueText(MessageConverting));
    const StepResult decoding = decode(fileFormat, temporary);
    progress_.settle();
    if (decoding == StepResult::Cancelled) {
        return CommandOutcome::Cancelled;
    }
    if (decoding == StepResult::Failed) {
        // A file that could not be written says nothing about the card's files.
        if (writeFailed_) {
            return fail(MessageExportFailed);
        }
        // Something in the way at a file's name is said as such; otherwise what is missing or
        // cut short.
        std::string detail = CardFilesDetail(installed_.channelFilePaths(pad), fs_);
        if (detail.empty()) {
            detail = SampleFilesDetail(installed_, CardLayout::Slot(installed_.bank, pad), fs_);
        }
        return fail(MessageExportFailed, detail);
    }

    progress_.setCancellable(false);
    progress_.setText(CatalogueText(MessageFinalizing));
    // The new file reaches the disk before it takes the name, so the destination holds either
    // the old file or the whole new one.
    if (!FileTransfer::Replace(temporary, path, fs_)) {
        return fail(MessageExportFailed);
    }
    return CommandOutcome::Succeeded;
}

StepResult CExportCommand::decode(int fileFormat, const std::string& temporary) {
    const int pad = installed_.selectedPad;
    const SampleEntry& entry = installed_.entryOf(pad);
    const bool lofi = entry.isLofi();
    const std::vector<std::string> channelFiles = installed_.channelFilePaths(pad);
    const std::shared_ptr<SL::CVexaFileInputSampleIterator> card =
        OpenCardSampleInputIterator(channelFiles, lofi, installed_.playedLength(pad));
    if (!card) {
        return StepResult::Failed;
    }
    const SL::CSampleAttribute attribute = card->GetAttribute();
    // Written out on a thread of its own while the next chunks decode.
    const std::shared_ptr<CWriteBehindStream> file = CreateWriteBehindFile(temporary);
    if (!file) {
        writeFailed_ = true;
        return StepResult::Failed;
    }
    std::shared_ptr<CSink> sink =
        std::dynamic_pointer_cast<CSink>(SL::CFileSampleBufferFactory().CreateOutputSampleIterator(
            attribute, file, SL::CWaveFileFormat(fileFormat)));
    if (!sink) {
        return StepResult::Failed;
    }

    progress_.setRange(std::int64_t{attribute.GetChannelCount()} * attribute.GetLength());
    SampleCopyResult copied;
    // The factory writes 16-bit samples with the plain file iterator; any other sink the slow
    // way. Only the plain iterator's own class leaves the samples' bytes as they are decoded.
    auto plain = ExactlyAs<CPlainSink>(*sink);
    CPlainSink* inPlace = plain ? &dynamic_cast<CPlainSink&>(*sink) : nullptr;
    if (lofi) {
        CSampleIteratorLofiDecorator held(card);
        copied = plain ? CopySamples(held, *plain, progress_) : CopySamples(held, *sink, progress_);
    } else if (inPlace && channelFiles.size() == 2) {
        // The opening above has checked both files for the whole length; the pair decodes each
        // on a thread of its own.
        const std::int64_t length = attribute.GetLength();
        CChannelPairReader pair(OpenCardSampleInputIterator({channelFiles[0]}, false, length),
                                OpenCardSampleInputIterator({channelFiles[1]}, false, length));
        copied = DecodeIntoFile(pair, 2, *file, *inPlace, progress_);
    } else if (inPlace) {
        CCardFrameSource source(*card);
        copied = DecodeIntoFile(source, channelFiles.size(), *file, *inPlace, progress_);
    } else {
        copied = CopySamples(*card, *sink, progress_);
    }
    if (copied == SampleCopyResult::Cancelled) {
        return StepResult::Cancelled;
    }
    if (copied != SampleCopyResult::Completed || !sink->Finish()) {
        writeFailed_ = file->fail();
        return StepResult::Failed;
    }
    // Closes the file before it is moved into place.
    sink.reset();
    if (!file->close()) {
        writeFailed_ = true;
        return StepResult::Failed;
    }
    return StepResult::Done;
}

} // namespace ZQ3

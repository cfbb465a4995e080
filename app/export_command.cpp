#include "app/export_command.h"

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

#include <memory>
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
        return writeFailed_ ? fail(MessageExportFailed)
                            : fail(MessageExportFailed,
                                   CardFilesDetail(
                                       installed_.channelFilePaths(installed_.selectedPad), fs_));
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
    // way.
    auto plain = ExactlyAs<SL::CFileOutputSampleIterator<SL::CSampleTag::Integer16>>(*sink);
    if (lofi) {
        CSampleIteratorLofiDecorator held(card);
        copied = plain ? CopySamples(held, *plain, progress_) : CopySamples(held, *sink, progress_);
    } else if (plain && channelFiles.size() == 2) {
        // The opening above has checked both files for the whole length; the pair decodes each
        // on a thread of its own.
        const std::int64_t length = attribute.GetLength();
        CChannelPairReader pair(OpenCardSampleInputIterator({channelFiles[0]}, false, length),
                                OpenCardSampleInputIterator({channelFiles[1]}, false, length));
        copied = CopySampleRuns(pair, *plain, progress_);
    } else {
        copied =
            plain ? CopySampleRuns(*card, *plain, progress_) : CopySamples(*card, *sink, progress_);
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

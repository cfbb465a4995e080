#include "app/import_command.h"

#include "app/card_obstacle_details.h"
#include "app/card_sample_files.h"
#include "app/card_space.h"
#include "app/card_undo.h"
#include "app/channel_pair_writer.h"
#include "app/import_file_check.h"
#include "app/localized_text.h"
#include "app/message_catalogue.h"
#include "app/progress_session.h"
#include "app/refusal_details.h"
#include "app/sample_copy.h"
#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "card/path_names.h"
#include "card/sample_information_dto.h"
#include "card/tempo.h"
#include "card/temporary_names.h"
#include "sl/codec/card_sound_format.h"
#include "sl/codec/vexa_file_output_sample_iterator.h"
#include "sl/files/file_sample_buffer_factory.h"
#include "sl/files/wave_file_loader.h"
#include "sl/model/bit_depth.h"
#include "sl/samples/file_input_sample_iterator.h"

#include <algorithm>
#include <bitset>
#include <memory>
#include <unistd.h>

namespace ZQ3 {
namespace {

constexpr std::int64_t kFramesPerBlock = 16;

using CSource = SL::ITypedInputSampleIterator<SL::CSampleTag::Integer16>;

// The outcome of an encoding copy; a completed one is finished into its files.
template <class Output>
StepResult Finished(SampleCopyResult copied, Output& output) {
    if (copied == SampleCopyResult::Cancelled) {
        return StepResult::Cancelled;
    }
    if (copied != SampleCopyResult::Completed || !output.Finish()) {
        return StepResult::Failed;
    }
    return StepResult::Done;
}

// Whether a channel file of frameCount frames stays within what the card's file format can
// address; the record's frame count is a signed 32-bit value as well.
bool FitsACardFile(std::int64_t frameCount) {
    return CardLayout::CardBytesNeeded(frameCount, 1) <=
           static_cast<std::uint64_t>(SL::CVexaFileOutputSampleIterator::kCardByteLimit);
}

} // namespace

WaveShape CImportCommand::CheckShape(const SL::IWave& wave) {
    WaveShape shape;
    const auto channels = wave.GetChannels();
    shape.bitDepth = wave.GetSourceBitDepth();
    shape.sampleRate = wave.GetSampleRate();
    shape.channelCount = channels ? static_cast<int>(channels->GetChannelCount()) : 0;
    shape.frameCount = wave.GetLength();
    if (shape.bitDepth != SL::CBitDepth::INTEGER16) {
        shape.missed |= WaveShape::SixteenBitInteger;
    }
    if (shape.sampleRate != SL::CCardSoundFormat::kSampleRate) {
        shape.missed |= WaveShape::CardSampleRate;
    }
    if (shape.channelCount < SL::CCardSoundFormat::kMinChannels ||
        shape.channelCount > SL::CCardSoundFormat::kMaxChannels) {
        shape.missed |= WaveShape::OneOrTwoChannels;
    }
    // Measured at the file's own rate: that is how long it sounds.
    if (!(static_cast<double>(shape.frameCount) / shape.sampleRate >=
          SL::CCardSoundFormat::kShortestSeconds)) {
        shape.missed |= WaveShape::LongEnough;
    }
    return shape;
}

bool CImportCommand::ConversionWouldHelp(const std::string& path) {
    // The same rule the import itself follows when asked to convert.
    ImportConversion asked;
    asked.convert = true;
    return CheckImportFile(path, asked).verdict == ImportFileCheck::Verdict::Converted;
}

SampleEntry CImportCommand::NewEntry(std::int64_t frameCount, int channelCount) {
    const std::int64_t stored =
        frameCount < 1 ? 0 : (frameCount + kFramesPerBlock - 1) / kFramesPerBlock * kFramesPerBlock;
    SampleEntry entry;
    entry.rangeBegin = 0;
    entry.rangeEnd = static_cast<std::int32_t>(stored);
    entry.frameCount = static_cast<std::int32_t>(stored);
    entry.lofi = 0;
    entry.stereo = channelCount == 2;
    entry.option14 = 1;
    entry.flag15 = false;
    entry.flag16 = false;
    entry.option17 = 127;
    const auto tempo = static_cast<std::int32_t>(
        TempoForFrameCount(static_cast<std::uint32_t>(frameCount < 0 ? 0 : frameCount)));
    entry.tempo = tempo;
    entry.tempo2 = tempo;
    entry.option20 = 0;
    return entry;
}

CommandOutcome CImportCommand::fail(int message, const std::string& detail) {
    newModel_.reset();
    // The progress display closes before the message shows, so that the message is the one
    // thing left to answer.
    session_.reset();
    return ReportedFailure(message, detail);
}

CommandOutcome CImportCommand::run(const std::string& path) {
    if (!installed_.hasCard() || !CardLayout::IsValidPad(installed_.selectedPad)) {
        return fail(MessageImportFailed);
    }
    return run({{path, CardLayout::Slot(installed_.bank, installed_.selectedPad)}});
}

SL::CLoadedWave CImportCommand::convert(const std::string& path, std::size_t index,
                                        std::string& refusal, bool& cancelled) {
    const std::string fileName = PathNames::LastPart(path);
    if (!work_.isValid()) {
        refusal = ConversionFailedDetail(fileName, false);
        return {};
    }
    const std::string converted = work_.file("convert" + std::to_string(index) + ".wav");
    ::unlink(converted.c_str());
    // Its own step, cancellable like the encoding that follows, in the one progress display
    // of the whole import.
    showStep(ConvertingFileText(fileName));
    progress_.setBatchStep(static_cast<int>(index) + 1, static_cast<int>(sources_.size()), fileName,
                           Localized("converting"));
    const SL::CConversionResult result = SL::CSoundFileConverter::Convert(
        path, converted, SL::CSoundFileConverter::Container::Wave, conversion_.options,
        [this](std::int64_t done, std::int64_t total) {
            progress_.setRange(total);
            progress_.setPosition(done);
            return !progress_.isCancelled();
        });
    progress_.settle();
    if (result.status == SL::CConversionResult::Status::Cancelled) {
        cancelled = true;
        return {};
    }
    if (result.status == SL::CConversionResult::Status::CannotWrite) {
        conversionWriteError_ = result.writeError;
    }
    if (!result.done()) {
        refusal = ConversionResultDetail(path, fileName, result);
        return {};
    }
    sources_[index] = converted;
    return SL::LoadWaveFile(converted);
}

void CImportCommand::showStep(const std::string& text) {
    if (!session_) {
        session_.emplace(progress_, CatalogueText(MessageImporting), text);
        return;
    }
    session_->nextStep(text);
}

std::optional<std::vector<WaveShape>>
CImportCommand::checkFiles(const std::vector<ImportItem>& items, bool& cancelled) {
    std::vector<WaveShape> shapes;
    std::string refusals;
    bool tooLong = false;
    sources_.clear();
    for (const ImportItem& item : items) {
        sources_.push_back(item.path);
    }
    std::vector<ImportFileCheck> checks;
    for (const ImportItem& item : items) {
        checks.push_back(CheckImportFile(item.path, conversion_));
    }
    // The lengths the checks foretell are held to the card before anything is converted: a
    // conversion may be many times the size of its file, and one that cannot land on the card
    // would only fill the work folder.
    if (std::string shortage; !convertedFilesFit(checks, shortage)) {
        fail(MessageCardFull, shortage);
        return std::nullopt;
    }
    // A file refused as it is makes the whole import refused: nothing is converted for it.
    const bool refusesAFile =
        std::any_of(checks.begin(), checks.end(), [](const ImportFileCheck& check) {
            return check.verdict == ImportFileCheck::Verdict::Refused;
        });
    for (std::size_t index = 0; index < items.size(); ++index) {
        const ImportItem& item = items[index];
        const ImportFileCheck& check = checks[index];
        WaveShape shape = check.shape;
        bool refused = check.verdict == ImportFileCheck::Verdict::Refused;
        std::string refusal = check.refusal;
        if (check.verdict == ImportFileCheck::Verdict::Converted && !refusesAFile) {
            const SL::CLoadedWave loaded = convert(item.path, index, refusal, cancelled);
            if (cancelled) {
                return std::nullopt;
            }
            if (conversionWriteError_) {
                // A WAV file of 16-bit samples, as the conversion writes it.
                const auto bytes = static_cast<std::uint64_t>(
                    44 + 2 * check.convertedFrames * std::max(check.convertedChannels, 1));
                if (std::string detail =
                        WithCardAsItWas(WorkFolderFailureDetail(*conversionWriteError_, bytes));
                    !detail.empty()) {
                    fail(MessageImportFailed, detail);
                    return std::nullopt;
                }
            }
            // The converted file is checked like any other, and a refusal names the user's
            // file, not the work file.
            const std::string fileName = PathNames::LastPart(item.path);
            if (!loaded) {
                refused = true;
                if (refusal.empty()) {
                    refusal = WaveLoadDetail(fileName, loaded);
                }
            } else {
                shape = CheckShape(*loaded.wave);
                refused = !shape.accepted();
                if (refused) {
                    refusal = WaveShapeDetail(fileName, shape);
                }
            }
            if (refused && refusal.empty()) {
                refusal = fileName;
            }
        }
        // A sample this long would not fit a card file at all, whatever the card's free space.
        if (!refused && !FitsACardFile(shape.frameCount)) {
            tooLong = true;
        }
        if (refused) {
            refusals += (refusals.empty() ? "" : "\n") + refusal;
        }
        shapes.push_back(shape);
    }
    if (!refusals.empty()) {
        fail(MessageWaveFileRefused, refusals);
        return std::nullopt;
    }
    if (tooLong) {
        fail(MessageCardFull);
        return std::nullopt;
    }
    return shapes;
}

bool CImportCommand::convertedFilesFit(const std::vector<ImportFileCheck>& checks,
                                       std::string& shortage) const {
    const FileTransfer::VolumeSpace volume =
        FileTransfer::MeasureVolume(CardLayout::CardDirectory(installed_.cardRoot), fs_);
    std::uint64_t bytesNeeded = TransactionBytesTaken(static_cast<int>(checks.size()), volume);
    bool converts = false;
    for (const ImportFileCheck& check : checks) {
        if (check.verdict == ImportFileCheck::Verdict::Refused) {
            // The refusal is what the user hears first.
            return true;
        }
        const bool converted = check.verdict == ImportFileCheck::Verdict::Converted;
        converts = converts || converted;
        const std::int64_t frames = converted ? check.convertedFrames : check.shape.frameCount;
        if (!FitsACardFile(frames)) {
            return false;
        }
        bytesNeeded += SampleBytesTaken(
            frames, converted ? check.convertedChannels : check.shape.channelCount, volume);
    }
    // Files the card takes as they are are measured after their check, as always; only a
    // conversion is worth refusing before it starts. Unknown free space refuses nothing.
    if (!converts || !volume.freeBytes || *volume.freeBytes >= bytesNeeded) {
        return true;
    }
    shortage = CardSpaceShortDetail(installed_.cardRoot, bytesNeeded, *volume.freeBytes);
    return false;
}

CommandOutcome CImportCommand::run(const std::vector<ImportItem>& items) {
    const CommandOutcome outcome = importAll(items);
    session_.reset();
    return outcome;
}

CommandOutcome CImportCommand::importAll(const std::vector<ImportItem>& items) {
    if (!installed_.hasCard() || items.empty()) {
        return fail(MessageImportFailed);
    }
    // Two files for one slot would leave the card's sample up to the order of the renames.
    std::bitset<CardLayout::SlotCount> slots;
    for (const ImportItem& item : items) {
        if (item.slot < 0 || item.slot >= CardLayout::SlotCount ||
            slots.test(static_cast<std::size_t>(item.slot))) {
            return fail(MessageImportFailed);
        }
        slots.set(static_cast<std::size_t>(item.slot));
    }
    const std::string& root = installed_.cardRoot;

    bool cancelled = false;
    const std::optional<std::vector<WaveShape>> shapes = checkFiles(items, cancelled);
    if (cancelled) {
        newModel_.reset();
        return CommandOutcome::Cancelled;
    }
    if (!shapes) {
        return CommandOutcome::Failed;
    }
    // Everything the change writes onto the card: the channel files, the information file's
    // copy and the journal, each taking whole allocation units of the card's file system. The
    // card was cleared of leftovers before this is measured. A replaced sample's files stay
    // until the commit, so they count as taken. A file system that does not tell its free space
    // is not refused: a card that runs full is then found by the write itself.
    const FileTransfer::VolumeSpace volume =
        FileTransfer::MeasureVolume(CardLayout::CardDirectory(root), fs_);
    std::uint64_t bytesNeeded = TransactionBytesTaken(static_cast<int>(shapes->size()), volume);
    for (const WaveShape& shape : *shapes) {
        bytesNeeded += SampleBytesTaken(shape.frameCount, shape.channelCount, volume);
    }
    if (volume.freeBytes && *volume.freeBytes < bytesNeeded) {
        return fail(MessageCardFull, CardSpaceShortDetail(root, bytesNeeded, *volume.freeBytes));
    }

    showStep(CatalogueText(MessageConverting));
    const int count = static_cast<int>(items.size());
    CModel updated = installed_;
    for (int i = 0; i < count; ++i) {
        const ImportItem& item = items[static_cast<std::size_t>(i)];
        const WaveShape& shape = (*shapes)[static_cast<std::size_t>(i)];
        const std::string fileName = PathNames::LastPart(item.path);
        if (count > 1) {
            progress_.setTitle(BatchImportTitle(i + 1, count, fileName));
            progress_.setText(CatalogueText(MessageConverting));
        }
        progress_.setBatchStep(i + 1, count, fileName, Localized("encoding"));
        // One import keeps the plain work names; the files of a batch carry their slot.
        std::string base = TemporaryNames::SampleFile;
        if (count > 1) {
            base += CardLayout::SlotFileStem(item.slot).substr(3) + "_";
        }
        const StepResult encoding =
            encode(sources_[static_cast<std::size_t>(i)], PathNames::LastPart(item.path),
                   work_.file(base), shape.frameCount, shape.channelCount);
        progress_.settle();
        if (encoding == StepResult::Cancelled) {
            return CommandOutcome::Cancelled;
        }
        if (encoding == StepResult::Failed) {
            // Unless the source is to blame, the channel files in the work folder are.
            return fail(MessageImportFailed, encodeFailure_.empty()
                                                 ? WithCardAsItWas(WorkFolderFailureDetail(0))
                                                 : encodeFailure_);
        }
        progress_.setBatchStep(i + 1, count, fileName, Localized("copying"));
        cardCopies_.emplace_back();
        const StepResult copying = copyToCard(count, cardCopies_.back());
        if (copying == StepResult::Cancelled) {
            return CommandOutcome::Cancelled;
        }
        if (copying == StepResult::Failed) {
            return fail(MessageImportFailed, CardObstacleDetail(transaction_.obstacle()));
        }
        updated.entries[static_cast<std::size_t>(item.slot)] =
            NewEntry(shape.frameCount, shape.channelCount);
    }

    // What follows must not stop half-way on the user's word.
    progress_.setCancellable(false);
    progress_.setBatchStep(0, 0, {}, {});
    progress_.setText(CatalogueText(MessageFinalizing));
    const std::optional<CCardTransaction::Result> committed = commit(updated, items);
    if (!committed && !transaction_.obstacle()) {
        // The new information file could not be written in the work folder.
        return fail(MessageImportFailed, WithCardAsItWas(WorkFolderFailureDetail(0)));
    }
    if (!committed || *committed == CCardTransaction::Result::NotCommitted) {
        return fail(MessageImportFailed, CardObstacleDetail(transaction_.obstacle()));
    }
    if (*committed == CCardTransaction::Result::Undecided) {
        newModel_.reset();
        session_.reset();
        return ReportedUnsettled(
            false, CardObstacleDetail(transaction_.obstacle(), CardAfterwards::Recorded));
    }
    newModel_ = std::move(updated);
    if (*committed == CCardTransaction::Result::Pending) {
        // The card holds the new samples once it is opened next; the model shows them already.
        session_.reset();
        return ReportedUnsettled(
            true, CardObstacleDetail(transaction_.obstacle(), CardAfterwards::Recorded));
    }
    return CommandOutcome::Succeeded;
}

StepResult CImportCommand::encode(const std::string& path, const std::string& fileName,
                                  const std::string& base, std::int64_t frameCount,
                                  int channelCount) {
    if (!work_.isValid()) {
        return StepResult::Failed;
    }
    std::vector<std::string> files;
    if (channelCount == 1) {
        files.push_back(base);
    } else {
        for (int channel = 0; channel < channelCount; ++channel) {
            files.push_back(base + std::to_string(channel));
        }
    }
    const std::shared_ptr<CSource> source = std::dynamic_pointer_cast<CSource>(
        SL::CFileSampleBufferFactory().CreateInputSampleIterator(path));
    // The file is read a second time; one that changed since it was checked is not trusted.
    if (!source || source->GetAttribute().GetChannelCount() != channelCount ||
        source->GetAttribute().GetLength() != frameCount ||
        source->GetAttribute().GetSampleRate() != SL::CCardSoundFormat::kSampleRate) {
        encodeFailure_ = RereadFailedDetail(path, fileName);
        return StepResult::Failed;
    }

    progress_.setRange(std::int64_t{channelCount} * frameCount);
    // A WAV or AIFF file is read by the plain file iterator; any other source the slow way.
    auto file = ExactlyAs<SL::CFileInputSampleIterator<SL::CSampleTag::Integer16>>(*source);
    const StepResult encoded = file ? encodeRuns(*file, files) : encodeSamples(*source, files);
    if (encoded == StepResult::Done) {
        encodedFiles_ = std::move(files);
    }
    return encoded;
}

template <class Input>
StepResult CImportCommand::encodeRuns(Input& input, const std::vector<std::string>& files) {
    if (files.size() != 2) {
        return encodeSamples(input, files);
    }
    // The two channels are coded on two threads. The writer closes the files, before they are
    // copied, when it goes at the end of this scope.
    CChannelPairWriter pair(OpenCardSampleOutputIterator({files[0]}),
                            OpenCardSampleOutputIterator({files[1]}));
    return Finished(CopySampleRuns(input, pair, progress_), pair);
}

template <class Input>
StepResult CImportCommand::encodeSamples(Input& input, const std::vector<std::string>& files) {
    std::shared_ptr<SL::CVexaFileOutputSampleIterator> encoder =
        OpenCardSampleOutputIterator(files);
    if (!encoder) {
        return StepResult::Failed;
    }
    if constexpr (requires { input.Read(static_cast<std::int16_t*>(nullptr), 0); }) {
        return Finished(CopySampleRuns(input, *encoder, progress_), *encoder);
    } else {
        return Finished(CopySamples(input, *encoder, progress_), *encoder);
    }
}

StepResult CImportCommand::copyToCard(int itemCount, std::vector<std::string>& cardCopies) {
    const int count = static_cast<int>(encodedFiles_.size());
    bool copied = true;
    for (int i = 0; i < count; ++i) {
        const std::string& encoded = encodedFiles_[static_cast<std::size_t>(i)];
        const std::string name = PathNames::LastPart(encoded);
        cardCopies.push_back(name);
        // A batch counts its files in its title; the copying text counts one file's channels.
        progress_.setText(CopyingText(i + 1, count));
        // Staged on the card; the commit makes every staged file durable before its journal, so
        // a card pulled out later never holds a copy whose data never arrived.
        if (copied && !transaction_.stage(encoded, name, &progress_)) {
            copied = false;
        }
        // The work copy is not needed once it is on the card; a batch of a whole card keeps
        // one file's worth in the temporary folder, not a card's.
        if (itemCount > 1) {
            ::unlink(encoded.c_str());
        }
        progress_.settle();
        if (progress_.isCancelled()) {
            return StepResult::Cancelled;
        }
    }
    return copied ? StepResult::Done : StepResult::Failed;
}

std::optional<CCardTransaction::Result>
CImportCommand::commit(const CModel& updated, const std::vector<ImportItem>& items) {
    const std::string informationFile = work_.file(TemporaryNames::SampleInformationFile);
    if (!WriteSampleInformationFile(informationFile, updated.entries) ||
        !transaction_.stage(informationFile, TemporaryNames::SampleInformationFile, nullptr)) {
        return std::nullopt;
    }
    for (std::size_t item = 0; item < items.size(); ++item) {
        const int slot = items[item].slot;
        const std::vector<std::string>& copies = cardCopies_[item];
        // Both names, whatever the new sample needs: a mono sample must not inherit the right
        // file of an earlier stereo one.
        const std::string finalNames[] = {CardLayout::LeftFileName(slot),
                                          CardLayout::RightFileName(slot)};
        for (std::size_t i = 0; i < 2; ++i) {
            if (i < copies.size()) {
                transaction_.renameOnCommit(copies[i], finalNames[i]);
            } else {
                transaction_.removeOnCommit(finalNames[i]);
            }
        }
    }
    transaction_.renameOnCommit(TemporaryNames::SampleInformationFile,
                                CardLayout::InformationFileName);
    if (history_ != nullptr) {
        transaction_.recordIn(
            *history_, items.size() == 1
                           ? ImportDescription(PathNames::LastPart(items[0].path), items[0].slot)
                           : ImportBatchDescription(static_cast<int>(items.size())));
    }
    return transaction_.commit();
}

} // namespace ZQ3

#include "app/import_file_check.h"

#include "app/localized_text.h"
#include "app/refusal_details.h"
#include "card/path_names.h"
#include "sl/codec/card_sound_format.h"
#include "sl/convert/channel_mixer.h"

#include <cmath>

namespace ZQ3 {
namespace {

// Whether converting the file could make it one the card takes: one whose encoding or shape
// the card refuses, not one that is cut short, damaged or too short to play.
bool ConversionCanHelp(const SL::CLoadedWave& loaded, const WaveShape& shape,
                       const SL::CSoundProcessing& processing) {
    if (!loaded) {
        using CReason = SL::CWaveLoadProblem::CReason;
        const CReason reason = loaded.problem.reason;
        return reason == CReason::NotWaveOrAiff || reason == CReason::UnsupportedFormatTag ||
               reason == CReason::UnsupportedSampleFormat;
    }
    // Padding makes a short sound long enough; a region or a trim may be what is too short.
    return (shape.missed & WaveShape::LongEnough) == 0 || processing.padToMinimum;
}

// The frames a converted file will have once processed, as far as its header tells: the region,
// then the padding (a trim can only make it shorter).
std::int64_t ProcessedFrames(std::int64_t convertedFrames, const SL::CSoundProcessing& processing) {
    // Untrimmed: the most a trim can keep.
    SL::CSoundProcessing untrimmed = processing;
    untrimmed.trimThresholdDb.reset();
    return SL::PlanKeptSpan(untrimmed, convertedFrames, std::nullopt, 0).totalFrames();
}

} // namespace

ImportFileCheck CheckImportFile(const std::string& path, const ImportConversion& conversion) {
    ImportFileCheck check;
    check.loaded = SL::LoadWaveFile(path);
    if (check.loaded) {
        check.shape = CImportCommand::CheckShape(*check.loaded.wave);
    }
    const WaveShape& shape = check.shape;
    // A file the card takes as it is stays as it is unless a change is asked for, so that its
    // import is the same with conversion or without; the converter may read the others where
    // the card cannot. Asked to mix down or normalise, the user wants the file changed even so.
    const SL::CSoundProcessing& processing = conversion.options.processing;
    const bool changeAsked =
        conversion.convert &&
        (conversion.options.normalizePeakDb || processing.changesTakenSound() ||
         (conversion.options.mono && shape.channelCount == 2));
    const bool needsConversion = !check.loaded || !shape.accepted() || changeAsked;
    // libsndfile is asked only when its answer matters: it opens the whole file's decoder.
    if (needsConversion &&
        (conversion.convert || conversion.adviseConvertOption || conversion.findConvertible) &&
        ConversionCanHelp(check.loaded, shape, processing)) {
        check.source = SL::CSoundFileConverter::Probe(path);
        check.convertible = check.source.has_value();
    }

    const std::string fileName = PathNames::LastPart(path);
    // A header outside the bounds is refused for what it claims before any conversion starts:
    // the converted length alone could fill the disk.
    if (check.source) {
        const SL::CSoundBoundsCheck bounds = SL::CheckSoundBounds(
            check.source->sampleRate, check.source->channelCount, check.source->frameCount);
        if (!bounds.withinBounds()) {
            check.convertible = false;
            check.refusal = SoundBoundsDetail(fileName, bounds);
            return check;
        }
    }
    if (check.convertible && conversion.convert) {
        check.verdict = ImportFileCheck::Verdict::Converted;
        const SL::CSoundFileShape& source = *check.source;
        check.convertedChannels =
            SL::CChannelMixer(source.channelCount, conversion.options.mono).outputChannels();
        check.convertedFrames =
            ProcessedFrames(std::llround(static_cast<double>(source.frameCount) *
                                         SL::CCardSoundFormat::kSampleRate /
                                         static_cast<double>(source.sampleRate)),
                            processing);
        return check;
    }
    if (!check.loaded) {
        check.refusal = WaveLoadDetail(fileName, check.loaded);
    } else if (!shape.accepted()) {
        check.refusal = WaveShapeDetail(fileName, shape);
    } else {
        check.verdict = ImportFileCheck::Verdict::Taken;
        return check;
    }
    // A refusal without a certain reason still names the file, so that a batch tells which of
    // its files to look at.
    if (check.refusal.empty()) {
        check.refusal = fileName;
    }
    if (check.convertible && conversion.adviseConvertOption) {
        check.refusal = WithConvertHint(check.refusal);
    } else if (check.loaded && (shape.missed & WaveShape::LongEnough) != 0 &&
               conversion.adviseConvertOption) {
        // Japanese runs its sentences together without a space.
        check.refusal += Localized(" Add --pad to extend it with silence to 70 ms.");
    }
    return check;
}

} // namespace ZQ3

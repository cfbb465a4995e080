#include "app/slice_import.h"

#include "app/localized_text.h"
#include "app/refusal_details.h"
#include "card/card_layout.h"
#include "card/path_names.h"
#include "sl/codec/card_sound_format.h"

#include <algorithm>
#include <cmath>

namespace ZQ3 {
namespace {

std::string PlanRefusal(const std::string& path, const SL::CSlicePlan& plan) {
    const std::string fileName = PathNames::LastPart(path);
    SL::CConversionResult result;
    result.status = plan.status;
    result.bounds = plan.bounds;
    std::string text;
    using CStatus = SL::CConversionResult::Status;
    if (plan.status == CStatus::CannotOpen || plan.status == CStatus::OutOfBounds) {
        text = ConversionResultDetail(path, fileName, result);
    } else if (plan.status == CStatus::CannotRead) {
        text = OwnReaderBoundsDetail(path, fileName);
    } else if (plan.status == CStatus::Damaged) {
        text = ConversionFailedDetail(fileName, true);
    }
    if (text.empty()) {
        text = Localized("{0}: this is not a sound file the converter reads.", {fileName});
    }
    return text;
}

std::string WithoutExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

SlicedFile PlanFileSlices(const std::string& path, const SL::CSliceRequest& request,
                          const SL::CSoundFileConverter::Progress& progress) {
    SlicedFile sliced;
    sliced.plan = SL::CSoundFileConverter::PlanSlices(path, request, progress);
    if (sliced.plan.status == SL::CConversionResult::Status::Cancelled) {
        return sliced;
    }
    if (!sliced.plan.done()) {
        sliced.refusal = PlanRefusal(path, sliced.plan);
        return sliced;
    }
    if (sliced.plan.slices.empty()) {
        sliced.refusal = Localized("{0}: no onsets were found; try a higher --sensitivity.",
                                   {PathNames::LastPart(path)});
        return sliced;
    }
    for (SL::CKeptSpan& slice : sliced.plan.slices) {
        slice.paddingFrames =
            std::max<std::int64_t>(0, SL::ShortestCardFrames() - slice.keptFrames());
    }
    sliced.done = true;
    return sliced;
}

std::string SlicesFitRefusal(const std::string& fileName, int sliceCount, int firstSlot) {
    const int padsLeft = CardLayout::SlotCount - firstSlot;
    if (sliceCount <= padsLeft) {
        return {};
    }
    const std::vector<std::string> values = {
        fileName, std::to_string(sliceCount), std::to_string(padsLeft),
        CardLayout::PadName(firstSlot), CardLayout::PadName(CardLayout::SlotCount - 1)};
    return padsLeft == 1
               ? Localized("{0}: its {1} slices do not fit the one pad from {3} to the card's "
                           "last pad, {4}. Nothing was written.",
                           {values[0], values[1], values[2], values[3], values[4]})
               : Localized("{0}: its {1} slices do not fit the {2} pads from {3} to the card's "
                           "last pad, {4}. Nothing was written.",
                           {values[0], values[1], values[2], values[3], values[4]});
}

SlicedFile SliceIntoFiles(const std::string& path, const SL::CSliceRequest& request,
                          const SL::CConversionOptions& options, int firstSlot,
                          const CPrivateDirectory& work,
                          const SL::CSoundFileConverter::Progress& progress) {
    SlicedFile sliced = PlanFileSlices(path, request, progress);
    if (!sliced.done) {
        return sliced;
    }
    sliced.done = false;
    const std::string fileName = PathNames::LastPart(path);
    sliced.refusal =
        SlicesFitRefusal(fileName, static_cast<int>(sliced.plan.slices.size()), firstSlot);
    if (!sliced.refusal.empty()) {
        return sliced;
    }
    const auto sliceCount = static_cast<int>(sliced.plan.slices.size());
    if (!work.isValid()) {
        sliced.refusal = WorkFolderFailureDetail(0);
        return sliced;
    }
    const std::string stem = WithoutExtension(fileName);
    for (int i = 0; i < sliceCount; ++i) {
        sliced.paths.push_back(work.file(stem + "-" + std::to_string(i + 1) + ".wav"));
    }
    SL::CConversionOptions plain = options;
    plain.processing = {};
    const SL::CConversionResult result = SL::CSoundFileConverter::ConvertSpans(
        path, sliced.paths, sliced.plan.slices, SL::CSoundFileConverter::Container::Wave, plain,
        progress);
    if (result.status == SL::CConversionResult::Status::Cancelled) {
        sliced.paths.clear();
        return sliced;
    }
    if (!result.done()) {
        sliced.paths.clear();
        sliced.refusal =
            result.status == SL::CConversionResult::Status::CannotWrite
                ? WorkFolderFailureDetail(result.writeError)
                : ConversionFailedDetail(fileName,
                                         result.status == SL::CConversionResult::Status::Damaged);
        if (sliced.refusal.empty()) {
            sliced.refusal = ConversionFailedDetail(fileName, false);
        }
        return sliced;
    }
    sliced.done = true;
    return sliced;
}

namespace {

double CardSeconds(std::int64_t frames) {
    return static_cast<double>(frames) / SL::CCardSoundFormat::kSampleRate;
}

} // namespace

TrimmedRegion PlanFileTrim(const std::string& path, double thresholdDb) {
    TrimmedRegion region;
    SL::CSoundProcessing processing;
    processing.trimThresholdDb = thresholdDb;
    const SL::CSlicePlan plan = SL::CSoundFileConverter::PlanKeptSpan(path, processing);
    if (!plan.done()) {
        region.refusal = PlanRefusal(path, plan);
        return region;
    }
    if (plan.slices.empty()) {
        region.refusal =
            Localized("{0}: nothing in it is louder than {1} dBFS.",
                      {PathNames::LastPart(path), std::to_string(std::lround(thresholdDb))});
        return region;
    }
    region.startSeconds = CardSeconds(plan.slices.front().begin);
    region.endSeconds = CardSeconds(plan.slices.front().end);
    region.done = true;
    return region;
}

SL::CSoundProcessing SliceAudition(const SL::CKeptSpan& slice) {
    SL::CSoundProcessing processing;
    processing.startSeconds = CardSeconds(slice.begin);
    processing.endSeconds = CardSeconds(slice.end);
    processing.fadeInSeconds = CardSeconds(slice.fadeInFrames);
    processing.fadeOutSeconds = CardSeconds(slice.fadeOutFrames);
    processing.fadeShape = slice.fadeShape;
    processing.padToMinimum = slice.paddingFrames > 0;
    return processing;
}

void SetRegion(SL::CSoundProcessing& processing, double startSeconds, double endSeconds,
               double totalSeconds) {
    // Within one card frame of an end counts as that end.
    const double frame = 1.0 / SL::CCardSoundFormat::kSampleRate;
    processing.startSeconds.reset();
    processing.endSeconds.reset();
    if (startSeconds > frame) {
        processing.startSeconds = startSeconds;
    }
    if (endSeconds < totalSeconds - frame) {
        processing.endSeconds = endSeconds;
    }
}

} // namespace ZQ3

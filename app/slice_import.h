#pragma once

#include "app/private_directory.h"
#include "sl/convert/sound_file_converter.h"

#include <string>
#include <vector>

namespace ZQ3 {

// One file chopped into slices for consecutive pads: where the slices lie, and the files they
// were written to, each a WAV file the card takes as it is, ready to be imported as a batch in
// one change of the card.
struct SlicedFile {
    bool done = false;
    // Why nothing was written, naming the file; empty on success or a cancel.
    std::string refusal;
    SL::CSlicePlan plan;
    // Per slice, its file in the work folder ("loop-1.wav"...).
    std::vector<std::string> paths;
};

// Finds the slices of the file at path; a refusal names it. Every slice shorter than the card's
// shortest sound is padded with silence up to it.
SlicedFile PlanFileSlices(const std::string& path, const SL::CSliceRequest& request,
                          const SL::CSoundFileConverter::Progress& progress = {});

// Why sliceCount slices of the file named fileName do not fit the pads from firstSlot to the
// card's last pad; empty when they fit.
std::string SlicesFitRefusal(const std::string& fileName, int sliceCount, int firstSlot);

// Plans the slices and checks that they fit the pads from firstSlot to the card's last pad
// before writing each into work, converted with options (its processing left aside). Nothing
// is written when they do not fit.
SlicedFile SliceIntoFiles(const std::string& path, const SL::CSliceRequest& request,
                          const SL::CConversionOptions& options, int firstSlot,
                          const CPrivateDirectory& work,
                          const SL::CSoundFileConverter::Progress& progress = {});

// Where trimming the file at path at thresholdDb would cut it, in seconds of the converted sound,
// so that a front end can show the cut before anything is imported; a refusal names the file.
struct TrimmedRegion {
    bool done = false;
    std::string refusal;
    double startSeconds = 0.0;
    double endSeconds = 0.0;
};
TrimmedRegion PlanFileTrim(const std::string& path, double thresholdDb);

// The processing that plays slice as it will land on its pad: its span with its fades.
SL::CSoundProcessing SliceAudition(const SL::CKeptSpan& slice);

// The region from startSeconds to endSeconds of a sound of totalSeconds, leaving out the ends
// that are the sound's own, so that a region of the whole sound asks for no change at all.
void SetRegion(SL::CSoundProcessing& processing, double startSeconds, double endSeconds,
               double totalSeconds);

} // namespace ZQ3

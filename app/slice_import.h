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

// Plans the slices and checks that they fit the pads from firstSlot to the card's last pad
// before writing each into work, converted with options (its processing left aside). Nothing
// is written when they do not fit.
SlicedFile SliceIntoFiles(const std::string& path, const SL::CSliceRequest& request,
                          const SL::CConversionOptions& options, int firstSlot,
                          const CPrivateDirectory& work,
                          const SL::CSoundFileConverter::Progress& progress = {});

} // namespace ZQ3

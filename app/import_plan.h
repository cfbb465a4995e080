#pragma once

#include "app/import_batch.h"
#include "app/import_command.h"
#include "app/model.h"

#include <string>
#include <vector>

namespace ZQ3 {

// What the user answered to an import plan's questions.
struct ImportAnswers {
    // Its `convert` answers the conversion question; the rest says how to convert (the command
    // line's options, the desktop program's defaults).
    ImportConversion conversion;
    // Whether the samples on the plan's pads may be replaced.
    bool replace = false;
};

// An import of files from a pad on, as a drop onto the pads or `zq3 import` asks for it: which
// files go onto which pads (see PlanImportBatch), and what the user is asked before anything is
// written. First whether to convert the files the card takes only once converted, then whether
// to replace the samples on pads that hold one. Every file is checked when the plan is made, so
// that nothing is asked about an import that would refuse a file whatever the answers: such a
// plan asks nothing, and running it reports each refusal. CController::importPlanned runs it
// with the answers.
class CImportPlan {
public:
    // Plans sources (absolute paths of files and folders) from firstSlot on, for the card as
    // model shows it.
    CImportPlan(const CModel& model, int firstSlot, const std::vector<std::string>& sources);
    // Plans a batch made otherwise (PlanImportBatch with other folder files, PlanRestoreBatch).
    CImportPlan(const CModel& model, ImportBatch batch);

    bool isValid() const { return batch_.isValid(); }
    // Why the plan cannot run, in the catalogue's language; empty for a valid plan.
    std::string problemText() const { return batch_.problemText(); }
    const std::vector<ImportItem>& items() const { return batch_.items; }

    // Whether a file is refused whatever the answers (it is damaged, too short, or not a sound
    // file the converter reads): the import then writes nothing, so nothing is asked.
    bool refusesFiles() const { return !refusedFiles_.empty(); }

    bool asksToConvert() const { return !unfitFiles_.empty() && refusedFiles_.empty(); }
    // "kick.flac, pad.wav are not in the card's format (16-bit 44.1 kHz). Convert them?"
    std::string conversionQuestion() const;
    // Whether the replace question follows once convert answered the first: not when no pad
    // holds a sample, nor when files are left unconverted that need it or a file is refused
    // outright, since the import then refuses them and writes nothing.
    bool asksToReplace(bool convert) const;
    // "D0, D3 already hold samples. Replace them?"
    std::string replaceQuestion() const;
    // Whether the plan runs with answers: it is valid, and any replacement it asked about was
    // allowed.
    bool runsWith(const ImportAnswers& answers) const;

private:
    ImportBatch batch_;
    std::vector<std::string> unfitFiles_;
    std::vector<std::string> refusedFiles_;
    std::vector<int> occupiedSlots_;
};

} // namespace ZQ3

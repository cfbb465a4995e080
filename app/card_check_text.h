#pragma once

#include "app/card_repair.h"
#include "app/model.h"
#include "card/card_check.h"

#include <string>

namespace ZQ3 {

// One finding of the check of the card at root, as a sentence, for both front ends.
std::string FindingText(const std::string& root, const CardCheck& check,
                        const CardFinding& finding);
// What keeps the sample of slot on the card of model from being read whole: each channel file
// that is missing, not a regular file or cut short, naming the pad and the file. Empty when its
// channel files are whole.
std::string DamagedSampleText(const CModel& model, int slot, IFileSystem& fs = PosixFileSystem());
// The same, followed by how to check and repair the card.
std::string SampleFilesDetail(const CModel& model, int slot, IFileSystem& fs = PosixFileSystem());
// How to find and mend what else is damaged on the card at root, in either front end.
std::string CheckAndRepairAdvice(const std::string& root);
// What a repair will do to a slot, or to the card's files.
std::string SlotRepairText(const SlotRepair& repair);
std::string RemovalText(const std::string& fileName);
// What a check or repair found and will do, one line each: the findings, the slots that change
// and the files that go.
std::string RepairPlanText(const std::string& root, const CardCheck& check,
                           const CardRepairPlan& plan);
// The question before a repair, and how one that went as planned ended.
std::string RepairQuestion();
std::string RepairedText(const std::string& root, const CardRepairing& repairing);
// How a repair that did not end as planned ended; empty for one that did.
std::string RepairingProblemText(const std::string& root, const CardRepairing& repairing);

} // namespace ZQ3

#include "app/import_plan.h"

#include "app/import_file_check.h"

namespace ZQ3 {

CImportPlan::CImportPlan(const CModel& model, int firstSlot,
                         const std::vector<std::string>& sources)
    : CImportPlan(model, PlanImportBatch(firstSlot, sources)) {}

CImportPlan::CImportPlan(const CModel& model, ImportBatch batch) : batch_(std::move(batch)) {
    if (!batch_.isValid()) {
        return;
    }
    // Checked as an import that converts would check them: a file refused even then is refused
    // whatever the user answers.
    ImportConversion asked;
    asked.convert = true;
    for (const ImportItem& item : batch_.items) {
        switch (CheckImportFile(item.path, asked).verdict) {
        case ImportFileCheck::Verdict::Taken:
            break;
        case ImportFileCheck::Verdict::Converted:
            unfitFiles_.push_back(item.path);
            break;
        case ImportFileCheck::Verdict::Refused:
            refusedFiles_.push_back(item.path);
            break;
        }
    }
    occupiedSlots_ = OccupiedSlots(model, batch_.items);
}

std::string CImportPlan::conversionQuestion() const {
    return ConversionQuestion(unfitFiles_);
}

bool CImportPlan::asksToReplace(bool convert) const {
    return !occupiedSlots_.empty() && refusedFiles_.empty() && (unfitFiles_.empty() || convert);
}

std::string CImportPlan::replaceQuestion() const {
    return ReplaceQuestion(occupiedSlots_);
}

bool CImportPlan::runsWith(const ImportAnswers& answers) const {
    return isValid() && (answers.replace || !asksToReplace(answers.conversion.convert));
}

} // namespace ZQ3

#include "app/import_plan.h"

namespace ZQ3 {

CImportPlan::CImportPlan(const CModel& model, int firstSlot,
                         const std::vector<std::string>& sources)
    : batch_(PlanImportBatch(firstSlot, sources)) {
    if (batch_.isValid()) {
        unfitFiles_ = FilesNeedingConversion(batch_.items);
        occupiedSlots_ = OccupiedSlots(model, batch_.items);
    }
}

std::string CImportPlan::conversionQuestion() const {
    return ConversionQuestion(unfitFiles_);
}

bool CImportPlan::asksToReplace(bool convert) const {
    return !occupiedSlots_.empty() && (unfitFiles_.empty() || convert);
}

std::string CImportPlan::replaceQuestion() const {
    return ReplaceQuestion(occupiedSlots_);
}

bool CImportPlan::runsWith(const ImportAnswers& answers) const {
    return isValid() && (answers.replace || !asksToReplace(answers.conversion.convert));
}

} // namespace ZQ3

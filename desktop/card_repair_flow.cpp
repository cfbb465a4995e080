#include "desktop/card_repair_flow.h"

#include "app/card_check_text.h"
#include "app/card_repair.h"

namespace ZQ3::Desktop {

bool CheckAndRepairCard(const std::string& root, UL::ITextDialog& dialog,
                        const CardLockWaiting& waiting) {
    const CardRepairing repairing = RepairCard(
        root,
        [&](const CardCheck& check, const CardRepairPlan& plan) {
            return dialog.askWithDetail(UL::ITextDialog::ButtonsOkCancel,
                                        UL::ITextDialog::IconQuestion, RepairQuestion(),
                                        RepairPlanText(root, check, plan)) ==
                   UL::ITextDialog::AnswerOk;
        },
        waiting);
    if (repairing.problem == CardRepairing::Problem::Declined) {
        return false;
    }
    const std::string problem = RepairingProblemText(root, repairing);
    if (problem.empty()) {
        dialog.ask(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconQuestion,
                   RepairedText(root, repairing));
    } else {
        dialog.ask(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconError, problem);
    }
    return true;
}

} // namespace ZQ3::Desktop

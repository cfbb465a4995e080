#include "desktop/pad_transfer_flow.h"

#include "app/import_batch.h"
#include "app/pad_transfer_text.h"

namespace ZQ3::Desktop {

bool TransferPadsAsked(const std::string& sourceRoot, const std::string& destRoot,
                       ZQ3::PadTransferKind kind, const std::vector<ZQ3::SlotPair>& pairs,
                       bool readBack, bool recordHistory, UL::ITextDialog& dialog,
                       const CardLockWaiting& waiting) {
    ZQ3::PadTransferOptions options;
    options.kind = kind;
    options.readBack = readBack;
    options.recordHistory = recordHistory;
    options.waiting = waiting;
    options.confirmReplacing = [&dialog](const std::vector<int>& slots) {
        return dialog.ask(UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion,
                          ZQ3::ReplaceQuestion(slots)) == UL::ITextDialog::AnswerOk;
    };
    const ZQ3::PadTransferring transferring =
        ZQ3::TransferPads(sourceRoot, destRoot, pairs, options);
    if (const std::string problem = ZQ3::PadTransferProblemText(transferring); !problem.empty()) {
        dialog.ask(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconWarning, problem);
    }
    using Problem = ZQ3::PadTransferring::Problem;
    return transferring.problem == Problem::None || transferring.problem == Problem::Pending ||
           transferring.problem == Problem::Undecided;
}

} // namespace ZQ3::Desktop

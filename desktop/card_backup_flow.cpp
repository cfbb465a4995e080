#include "desktop/card_backup_flow.h"

#include "app/card_backup.h"
#include "app/card_backup_text.h"

namespace ZQ3::Desktop {

void BackUpCardShown(const std::string& root, const std::string& path, bool replace,
                     UL::IProgress& progress, UL::ITextDialog& dialog,
                     const CardLockWaiting& waiting) {
    CardBackupOptions options;
    options.replaceExisting = replace;
    options.waiting = waiting;
    options.progress = &progress;
    const CardBackupResult result = BackUpCard(root, path, options);
    if (result.problem == CardBackupResult::Problem::None) {
        dialog.ask(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconQuestion,
                   CardBackupDoneText(result));
    } else if (const std::string problem = CardBackupProblemText(result); !problem.empty()) {
        dialog.ask(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconWarning, problem);
    }
}

bool RestoreCardAsked(const std::string& root, const std::string& path, bool readBack,
                      bool recordHistory, UL::IProgress& progress, UL::ITextDialog& dialog,
                      const CardLockWaiting& waiting) {
    CardBackupOptions options;
    options.readBack = readBack;
    options.recordHistory = recordHistory;
    options.waiting = waiting;
    options.progress = &progress;
    options.confirmRestoring = [&](const std::vector<int>& occupied) {
        return dialog.ask(UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion,
                          RestoreQuestion(path, root, occupied)) == UL::ITextDialog::AnswerOk;
    };
    const CardBackupResult result = RestoreCard(root, path, options);
    if (const std::string problem = CardBackupProblemText(result); !problem.empty()) {
        dialog.ask(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconWarning, problem);
    }
    using Problem = CardBackupResult::Problem;
    return result.problem == Problem::None || result.problem == Problem::Pending ||
           result.problem == Problem::Undecided;
}

} // namespace ZQ3::Desktop

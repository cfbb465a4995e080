#include "app/controller.h"

#include "app/card_obstacle_details.h"
#include "app/delete_command.h"
#include "app/domain.h"
#include "app/export_command.h"
#include "app/import_command.h"
#include "app/localized_text.h"
#include "app/message_catalogue.h"
#include "app/refusal_details.h"
#include "app/report.h"
#include "card/card_recovery.h"
#include "card/file_transfer.h"
#include "card/sample_information_dto.h"
#include "ul/cursor.h"

#include <cerrno>
#include <memory>

namespace ZQ3 {

CModel& CController::model() const {
    return *domain_->model;
}

std::shared_ptr<UL::IProgress> CController::makeProgress() const {
    std::shared_ptr<UL::IProgress> progress;
    if (progressFactory_) {
        progress = progressFactory_();
    }
    // The base progress is a silent one, so a command never has to ask whether it has one.
    return progress ? progress : std::make_shared<UL::IProgress>();
}

void CController::stopPlayback() {
    if (domain_->player && !domain_->player->stopPlayback()) {
        ReportMessage(MessagePlaybackFailed);
    }
}

void CController::installModel(CModel model) {
    // The card going out of view stays remembered until another card replaces it.
    if (const std::shared_ptr<CModel>& shown = domain_->model; shown && shown->hasCard()) {
        remembered_ = {shown->cardRoot, shown->bank};
    }
    domain_->model = std::make_shared<CModel>(std::move(model));
}

CController::RememberedCard CController::rememberedCard() const {
    const CModel& shown = model();
    return shown.hasCard() ? RememberedCard{shown.cardRoot, shown.bank} : remembered_;
}

void CController::releaseCard() {
    stopPlayback();
    heldLock_.release();
    installModel(CModel());
    refreshView();
}

void CController::refreshView() {
    if (view_ == nullptr) {
        return;
    }
    view_->updateBank();
    refreshPadsAndCommands();
}

void CController::refreshPadsAndCommands() {
    if (view_ == nullptr) {
        return;
    }
    view_->updatePads();
    view_->updateImport();
    view_->updateExport();
    view_->updateDelete();
}

CController::CardAccess CController::reportedLockResult(CCardLock::Result result,
                                                        int failureMessage,
                                                        const std::string& root) {
    switch (result) {
    case CCardLock::Result::Locked:
        return CardAccess::Ready;
    case CCardLock::Result::Busy:
        ReportMessage(MessageCardBusy);
        return CardAccess::Failed;
    case CCardLock::Result::Cancelled:
        return CardAccess::Cancelled;
    case CCardLock::Result::Failed:
        break;
    }
    // The lock is taken on the card's converter folder: a folder that is no card fails here
    // first.
    ReportMessage(failureMessage, CardFolderDetail(root, ExamineCardFolder(root, *fs_)));
    return CardAccess::Failed;
}

CController::CardAccess CController::holdCardLock(const std::string& root) {
    heldLock_.release();
    return reportedLockResult(heldLock_.acquire(root, lockWaiting_), MessageNotACard, root);
}

CController::CardAccess CController::lockCard(const std::string& root, CCardLock& commandLock,
                                              int failureMessage) {
    if (heldLock_.isHeld() && heldLock_.root() == root) {
        return CardAccess::Ready;
    }
    return reportedLockResult(commandLock.acquire(root, lockWaiting_), failureMessage, root);
}

CController::CardAccess CController::settleCard(const std::string& root, CCardLock& commandLock,
                                                int failureMessage,
                                                std::vector<SampleEntry>& entries) {
    const CardAccess locked = lockCard(root, commandLock, failureMessage);
    if (locked != CardAccess::Ready) {
        return locked;
    }
    // Nothing on the card is touched before the folder is known to be a card: a folder that is
    // not one may hold anything, names like the converter's own included.
    const std::string information = CardLayout::InformationFilePath(root);
    SampleInformationReading read = ReadSampleInformationFileWithReason(information);
    if (!read.entries) {
        ReportMessage(failureMessage, InformationFileDetail(information, read));
        return CardAccess::Failed;
    }
    CardObstacle obstacle;
    switch (RecoverCard(root, *fs_, &obstacle)) {
    case RecoveryResult::Clean:
        break;
    case RecoveryResult::Finished:
        // The completed change replaced the information file.
        read = ReadSampleInformationFileWithReason(information);
        if (!read.entries) {
            ReportMessage(failureMessage, InformationFileDetail(information, read));
            return CardAccess::Failed;
        }
        break;
    case RecoveryResult::PendingOnReadOnlyCard:
        ReportMessage(MessageChangePending);
        return CardAccess::Failed;
    case RecoveryResult::Failed:
        // A change that could not be completed may have left the card between two states.
        ReportMessage(failureMessage,
                      RecoveryObstacleDetail(CardLayout::CardDirectory(root), obstacle));
        return CardAccess::Failed;
    case RecoveryResult::JournalUnreadable:
        ReportMessage(failureMessage,
                      JournalUnreadableDetail(CardLayout::CardDirectory(root), errno));
        return CardAccess::Failed;
    }
    entries = std::move(*read.entries);
    return CardAccess::Ready;
}

CController::CardAccess CController::prepareCard(CCardLock& commandLock, int failureMessage) {
    const std::string root = model().cardRoot;
    if (model().hasCard() && !FileTransfer::DirectoryExists(CardLayout::CardDirectory(root))) {
        // The card was unmounted or taken out since it was loaded. The converter lets go of it,
        // so that the user hears of it this once and the view shows no card.
        ReportMessage(MessageNotACard, CardFolderDetail(root, ExamineCardFolder(root, *fs_)));
        installModel(CModel());
        return CardAccess::Failed;
    }
    std::vector<SampleEntry> entries;
    const CardAccess access = settleCard(model().cardRoot, commandLock, failureMessage, entries);
    if (access != CardAccess::Ready) {
        return access;
    }
    // The write-protect switch may have been moved, or the card remounted, since it was loaded.
    model().readOnly = IsReadOnlyVolume(CardLayout::CardDirectory(root), *fs_);
    if (entries != model().entries) {
        CModel reloaded = model();
        reloaded.entries = std::move(entries);
        installModel(std::move(reloaded));
        ReportMessage(MessageCardChanged);
        return CardAccess::Failed;
    }
    return CardAccess::Ready;
}

CController::CardAccess CController::prepareCardChange(CCardLock& commandLock, int failureMessage) {
    const CardAccess access = prepareCard(commandLock, failureMessage);
    if (access == CardAccess::Ready && model().readOnly) {
        ReportMessage(failureMessage,
                      CardObstacleDetail({CardObstacle::Kind::ReadOnlyCard, model().cardRoot, 0}));
        return CardAccess::Failed;
    }
    return access;
}

bool CController::selectDrive(const std::string& root, int bank) {
    stopPlayback();
    std::vector<SampleEntry> entries;
    bool loaded = false;
    if (root.empty() || !FileTransfer::DirectoryExists(CardLayout::CardDirectory(root))) {
        ReportMessage(MessageNotACard, CardFolderDetail(root, ExamineCardFolder(root, *fs_)));
    } else {
        CCardLock commandLock(*fs_);
        loaded = settleCard(root, commandLock, MessageNotACard, entries) == CardAccess::Ready;
    }
    if (loaded) {
        CModel card;
        card.entries = std::move(entries);
        card.cardRoot = root;
        // A bank from edited preferences must not index past the card.
        card.bank = CardLayout::IsValidBank(bank) ? bank : 0;
        card.readOnly = IsReadOnlyVolume(CardLayout::CardDirectory(root), *fs_);
        installModel(std::move(card));
    } else {
        installModel(CModel());
    }
    refreshView();
    return loaded;
}

bool CController::selectBank(int bank) {
    stopPlayback();
    CModel& current = model();
    const bool changed = current.hasCard() && CardLayout::IsValidBank(bank);
    if (changed) {
        current.bank = bank;
    }
    refreshView();
    return changed;
}

bool CController::selectPad(int pad) {
    CModel& current = model();
    if (!current.hasCard() || (pad != -1 && !CardLayout::IsValidPad(pad))) {
        return false;
    }
    current.selectedPad = pad;
    refreshPadsAndCommands();
    return true;
}

CommandOutcome CController::importFile(const std::string& path,
                                       const ImportConversion& conversion) {
    return runImport([&path](CImportCommand& command) { return command.run(path); }, conversion);
}

CommandOutcome CController::importFiles(const std::vector<ImportItem>& items,
                                        const ImportConversion& conversion) {
    return runImport([&items](CImportCommand& command) { return command.run(items); }, conversion);
}

CommandOutcome CController::importPlanned(const CImportPlan& plan, const ImportAnswers& answers) {
    if (!plan.isValid()) {
        return CommandOutcome::Failed;
    }
    if (!plan.runsWith(answers)) {
        return CommandOutcome::Cancelled;
    }
    return importFiles(plan.items(), answers.conversion);
}

CommandOutcome CController::runImport(const std::function<CommandOutcome(CImportCommand&)>& run,
                                      const ImportConversion& conversion) {
    UL::CWaitCursor wait;
    stopPlayback();
    CCardLock lock(*fs_);
    const CardAccess access = prepareCardChange(lock, MessageImportFailed);
    if (access != CardAccess::Ready) {
        refreshView();
        return access == CardAccess::Cancelled ? CommandOutcome::Cancelled : CommandOutcome::Failed;
    }
    const std::shared_ptr<UL::IProgress> progress = makeProgress();
    // Held so that the command's view of the card outlives the installation of the new model.
    const std::shared_ptr<CModel> installed = domain_->model;
    CommandOutcome outcome;
    {
        std::optional<CCardHistory> history = historyOf(installed->cardRoot);
        CImportCommand command(*installed, *progress, *fs_);
        command.setConversion(conversion);
        command.setReadBack(readBack_);
        if (history) {
            command.recordHistoryIn(*history);
        }
        outcome = run(command);
        if (command.newModel()) {
            installModel(std::move(*command.newModel()));
        }
    } // the command's work files go with it
    refreshView();
    return outcome;
}

CommandOutcome CController::exportPad(int fileFormat, const std::string& path) {
    UL::CWaitCursor wait;
    stopPlayback();
    // The card is only read, but under its lock all the same: a sample replaced half-way
    // through the export would mix two samples in one file.
    CCardLock lock(*fs_);
    const CardAccess access = prepareCard(lock, MessageExportFailed);
    if (access != CardAccess::Ready) {
        refreshView();
        return access == CardAccess::Cancelled ? CommandOutcome::Cancelled : CommandOutcome::Failed;
    }
    const std::shared_ptr<UL::IProgress> progress = makeProgress();
    CExportCommand command(model(), *progress, *fs_);
    return command.run(fileFormat, path);
}

CommandOutcome CController::deletePad(int pad) {
    UL::CWaitCursor wait;
    stopPlayback();
    CCardLock lock(*fs_);
    const CardAccess access = prepareCardChange(lock, MessageDeletionFailed);
    if (access != CardAccess::Ready) {
        refreshView();
        return access == CardAccess::Cancelled ? CommandOutcome::Cancelled : CommandOutcome::Failed;
    }
    const std::shared_ptr<CModel> installed = domain_->model;
    CommandOutcome outcome;
    {
        std::optional<CCardHistory> history = historyOf(installed->cardRoot);
        CDeleteCommand command(*installed, *fs_);
        command.setReadBack(readBack_);
        if (history) {
            command.recordHistoryIn(*history);
        }
        outcome = command.run(pad);
        if (command.newModel()) {
            installModel(std::move(*command.newModel()));
        }
    }
    refreshPadsAndCommands();
    return outcome;
}

std::optional<CCardHistory> CController::historyOf(const std::string& root) const {
    if (!recordsHistory_ || root.empty()) {
        return std::nullopt;
    }
    return CCardHistory::ForCard(root);
}

std::optional<HistoryEntry> CController::nextHistoryStep(HistoryDirection direction) const {
    if (!model().hasCard()) {
        return std::nullopt;
    }
    const std::optional<CCardHistory> history = historyOf(model().cardRoot);
    return history ? NextHistoryStep(*history, direction) : std::nullopt;
}

CommandOutcome CController::stepThroughHistory(HistoryDirection direction) {
    UL::CWaitCursor wait;
    stopPlayback();
    const int failureMessage =
        direction == HistoryDirection::Undo ? MessageUndoFailed : MessageRedoFailed;
    if (!model().hasCard()) {
        return CommandOutcome::Failed;
    }
    const std::string root = model().cardRoot;
    std::optional<CCardHistory> history = historyOf(root);
    if (!history) {
        return ReportedFailure(failureMessage,
                               Localized("Changes of cards are not kept (ZQ3_HISTORY_LIMIT is 0), "
                                         "so none can be undone or redone."));
    }
    CCardLock lock(*fs_);
    const CardAccess access = prepareCardChange(lock, failureMessage);
    if (access != CardAccess::Ready) {
        refreshView();
        return access == CardAccess::Cancelled ? CommandOutcome::Cancelled : CommandOutcome::Failed;
    }
    HistoryStepOptions options;
    options.readBack = readBack_;
    options.cardSettled = true;
    const HistoryStepping stepping = StepThroughHistory(root, *history, direction, options, *fs_);
    // The pads show what the card holds now, whatever the step came to.
    SampleInformationReading read =
        ReadSampleInformationFileWithReason(CardLayout::InformationFilePath(root));
    if (read.entries && *read.entries != model().entries) {
        CModel reloaded = model();
        reloaded.entries = std::move(*read.entries);
        installModel(std::move(reloaded));
    }
    refreshView();
    const std::string detail = HistorySteppingDetail(root, stepping, direction);
    switch (stepping.problem) {
    case HistoryStepping::Problem::None:
        return CommandOutcome::Succeeded;
    case HistoryStepping::Problem::Pending:
    case HistoryStepping::Problem::Undecided:
        return ReportedUnsettled(stepping.problem == HistoryStepping::Problem::Pending, detail);
    default:
        break;
    }
    return ReportedFailure(failureMessage, detail);
}

} // namespace ZQ3

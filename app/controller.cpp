#include "app/controller.h"

#include "app/cursor.h"
#include "app/delete_command.h"
#include "app/domain.h"
#include "app/export_command.h"
#include "app/import_command.h"
#include "app/message_catalogue.h"
#include "app/report.h"
#include "card/sample_information_dto.h"

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
    domain_->model = std::make_shared<CModel>(std::move(model));
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

bool CController::selectDrive(const std::string& root, int bank) {
    stopPlayback();
    bool loaded = false;
    if (!root.empty()) {
        if (auto entries = ReadSampleInformationFile(CardLayout::InformationFilePath(root))) {
            CModel card;
            card.entries = std::move(*entries);
            card.cardRoot = root;
            // A bank from edited preferences must not index past the card.
            card.bank = CardLayout::IsValidBank(bank) ? bank : 0;
            installModel(std::move(card));
            loaded = true;
        }
    }
    if (!loaded) {
        ReportMessage(MessageNotACard);
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

CommandOutcome CController::importFile(const std::string& path) {
    UL::CWaitCursor wait;
    stopPlayback();
    const std::shared_ptr<UL::IProgress> progress = makeProgress();
    // Held so that the command's view of the card outlives the installation of the new model.
    const std::shared_ptr<CModel> installed = domain_->model;
    CommandOutcome outcome;
    {
        CImportCommand command(*installed, *progress);
        outcome = command.run(path);
        if (outcome == CommandOutcome::Succeeded) {
            installModel(std::move(*command.newModel()));
        }
    } // the command's temporary files go with it
    refreshView();
    return outcome;
}

CommandOutcome CController::exportPad(int fileFormat, const std::string& path) {
    UL::CWaitCursor wait;
    stopPlayback();
    const std::shared_ptr<UL::IProgress> progress = makeProgress();
    CExportCommand command(model(), *progress);
    return command.run(fileFormat, path);
}

CommandOutcome CController::deletePad(int pad) {
    UL::CWaitCursor wait;
    stopPlayback();
    const std::shared_ptr<CModel> installed = domain_->model;
    CommandOutcome outcome;
    {
        CDeleteCommand command(*installed);
        outcome = command.run(pad);
        if (outcome == CommandOutcome::Succeeded) {
            installModel(std::move(*command.newModel()));
        }
    } // the command's temporary files go with it
    refreshPadsAndCommands();
    return outcome;
}

} // namespace ZQ3

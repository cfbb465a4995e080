#include "app/delete_command.h"

#include "app/card_obstacle_details.h"
#include "app/card_undo.h"
#include "app/message_catalogue.h"
#include "app/private_directory.h"
#include "card/card_layout.h"
#include "card/card_transaction.h"
#include "card/sample_information_dto.h"
#include "card/temporary_names.h"

#include <string>

namespace ZQ3 {

CommandOutcome CDeleteCommand::fail(const std::string& detail) {
    newModel_.reset();
    return ReportedFailure(MessageDeletionFailed, detail);
}

CommandOutcome CDeleteCommand::run(int pad) {
    if (!installed_.hasCard() || !CardLayout::IsValidPad(pad)) {
        return fail();
    }
    const int slot = CardLayout::Slot(installed_.bank, pad);
    CModel emptied = installed_;
    emptied.entryOf(pad) = SampleEntry{};

    CPrivateDirectory work;
    const std::string informationFile = work.file(TemporaryNames::SampleInformationFile);
    if (!work.isValid() || !WriteSampleInformationFile(informationFile, emptied.entries)) {
        return fail(WithCardAsItWas(WorkFolderFailureDetail(0)));
    }
    CCardTransaction transaction(installed_.cardRoot, fs_);
    transaction.setReadBack(readBack_);
    if (!transaction.stage(informationFile, TemporaryNames::SampleInformationFile, nullptr)) {
        return fail(CardObstacleDetail(transaction.obstacle()));
    }
    // Both files, whatever the entry says: a right file left by an earlier stereo sample goes
    // too.
    transaction.removeOnCommit(CardLayout::LeftFileName(slot));
    transaction.removeOnCommit(CardLayout::RightFileName(slot));
    transaction.renameOnCommit(TemporaryNames::SampleInformationFile,
                               CardLayout::InformationFileName);
    if (history_ != nullptr) {
        transaction.recordIn(*history_, DeleteDescription(slot));
    }
    switch (transaction.commit()) {
    case CCardTransaction::Result::Done:
        break;
    case CCardTransaction::Result::NotCommitted:
        return fail(CardObstacleDetail(transaction.obstacle()));
    case CCardTransaction::Result::Pending:
        // The pad is empty once the card is opened next; the model says so already.
        newModel_ = std::move(emptied);
        return ReportedUnsettled(
            true, CardObstacleDetail(transaction.obstacle(), CardAfterwards::Recorded));
    case CCardTransaction::Result::Undecided:
        newModel_.reset();
        return ReportedUnsettled(
            false, CardObstacleDetail(transaction.obstacle(), CardAfterwards::Recorded));
    }
    newModel_ = std::move(emptied);
    return CommandOutcome::Succeeded;
}

} // namespace ZQ3

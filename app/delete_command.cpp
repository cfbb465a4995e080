#include "app/delete_command.h"

#include "app/message_catalogue.h"
#include "app/private_directory.h"
#include "card/card_layout.h"
#include "card/card_transaction.h"
#include "card/sample_information_dto.h"
#include "card/temporary_names.h"

#include <string>

namespace ZQ3 {

CommandOutcome CDeleteCommand::fail() {
    newModel_.reset();
    return ReportedFailure(MessageDeletionFailed);
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
        return fail();
    }
    CCardTransaction transaction(installed_.cardRoot, fs_);
    if (!transaction.stage(informationFile, TemporaryNames::SampleInformationFile, nullptr)) {
        return fail();
    }
    // Both files, whatever the entry says: a right file left by an earlier stereo sample goes
    // too.
    transaction.removeOnCommit(CardLayout::LeftFileName(slot));
    transaction.removeOnCommit(CardLayout::RightFileName(slot));
    transaction.renameOnCommit(TemporaryNames::SampleInformationFile,
                               CardLayout::InformationFileName);
    if (transaction.commit() != CCardTransaction::Result::Done) {
        return fail();
    }
    newModel_ = std::move(emptied);
    return CommandOutcome::Succeeded;
}

} // namespace ZQ3

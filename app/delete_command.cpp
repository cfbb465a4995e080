#include "app/delete_command.h"

#include "app/file_removal.h"
#include "app/information_file_update.h"
#include "app/message_catalogue.h"
#include "app/report.h"
#include "app/temporary_names.h"
#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "card/sample_information_dto.h"

#include <string>

namespace ZQ3 {

CommandOutcome CDeleteCommand::fail() {
    ReportMessage(MessageDeletionFailed);
    newModel_.reset();
    return CommandOutcome::Failed;
}

CommandOutcome CDeleteCommand::run(int pad) {
    if (!installed_.hasCard() || !CardLayout::IsValidPad(pad)) {
        return fail();
    }
    const std::string& root = installed_.cardRoot;
    // Both files, whatever the entry says: a right file left by an earlier stereo sample goes
    // too.
    const std::string channelFiles[] = {installed_.leftFilePath(pad),
                                        installed_.rightFilePath(pad)};

    CModel emptied = installed_;
    emptied.entryOf(pad) = SampleEntry{};

    const std::string newInformationFile =
        FileTransfer::TemporaryDirectory() + "/" + TemporaryNames::SampleInformationFile;
    temporaries_.add(newInformationFile);
    if (!WriteSampleInformationFile(newInformationFile, emptied.entries)) {
        return fail();
    }
    if (!ReplaceCardInformationFile(root, newInformationFile, temporaries_)) {
        return fail();
    }

    // From here the card lists the slot as empty. A removal that never reaches the device only
    // leaves an unlisted file, which the next import onto the slot clears away, so the removals
    // need no flush of their own.
    for (const std::string& file : channelFiles) {
        if (!RemoveIfPresent(file)) {
            return fail();
        }
    }
    newModel_ = std::move(emptied);
    return CommandOutcome::Succeeded;
}

} // namespace ZQ3

#include "app/information_file_update.h"

#include "app/temporary_names.h"
#include "card/card_layout.h"
#include "card/file_transfer.h"

namespace ZQ3 {

bool ReplaceCardInformationFile(const std::string& root, const std::string& newInformationFile,
                                CTemporaryFiles& temporaries) {
    const std::string cardCopy =
        CardLayout::CardDirectory(root) + TemporaryNames::SampleInformationFile;
    temporaries.add(cardCopy);
    // The copy is made writable by everybody, and the rename hands that on to the final file.
    if (!FileTransfer::CopyAndUnlock(newInformationFile, cardCopy, FileTransfer::Flush::ToDevice)) {
        return false;
    }
    return FileTransfer::Replace(cardCopy, CardLayout::InformationFilePath(root));
}

} // namespace ZQ3

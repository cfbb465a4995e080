#include "app/card_backup_text.h"

#include "app/card_obstacle_details.h"
#include "app/import_batch.h"
#include "app/localized_text.h"
#include "app/quantity_text.h"
#include "card/card_layout.h"

#include <cstring>

namespace ZQ3 {
namespace {

std::string DefectText(const CardBackupResult& result) {
    const std::string& file = result.file;
    switch (result.defect) {
    case BackupDefect::None:
        break;
    case BackupDefect::NotAnArchive:
        return Localized("It is not a tar archive, or it is damaged.");
    case BackupDefect::NoManifest:
        return Localized("It has no list of its files ({0}).", {file});
    case BackupDefect::BadManifest:
        return Localized("Its list of files ({0}) is damaged at the line \"{1}\".",
                         {file, result.detail});
    case BackupDefect::UnexpectedEntry:
        return Localized("It holds {0}, which is not a file of a card.", {file});
    case BackupDefect::NotARegularFile:
        return Localized("Its entry {0} is a link or a folder, not a file.", {file});
    case BackupDefect::RepeatedEntry:
        return Localized("It holds {0} twice.", {file});
    case BackupDefect::TooLarge:
        return Localized("Its entry {0} is larger than any file of a card.", {file});
    case BackupDefect::NotInManifest:
        return Localized("{0} is not in its list of files.", {file});
    case BackupDefect::MissingFile:
        return Localized("{0} is in its list of files but not in the archive.", {file});
    case BackupDefect::SizeDiffers:
        return Localized("{0} does not have the size its list of files gives: the file is "
                         "damaged.",
                         {file});
    case BackupDefect::DigestDiffers:
        return Localized("The bytes of {0} are not those its list of files gives: the file is "
                         "damaged.",
                         {file});
    }
    return {};
}

std::string ErrorText(int error) {
    return std::strerror(error != 0 ? error : EIO);
}

} // namespace

std::string CardBackupProblemText(const CardBackupResult& result) {
    using Problem = CardBackupResult::Problem;
    const std::string& card = result.card;
    switch (result.problem) {
    case Problem::None:
    case Problem::Declined:
        return {};
    case Problem::NoCard:
        return NotACardDetail(card);
    case Problem::Busy:
        return CardBusyDetail(card);
    case Problem::NotRecovered:
        return RecoveryObstacleDetail(CardLayout::CardDirectory(card), result.obstacle);
    case Problem::CardFileUnreadable:
        if (result.error == 0) {
            return Localized("{0} is not a regular file, so the card cannot be backed up as it "
                             "is; no backup was written.",
                             {result.file});
        }
        return Localized("{0} could not be read ({1}); no backup was written.",
                         {result.file, ErrorText(result.error)});
    case Problem::ArchiveExists:
        return Localized("{0} already exists and is not replaced; nothing was written.",
                         {result.archive});
    case Problem::CannotWriteArchive:
        return Localized(
            "The backup could not be written to {0} ({1}); no backup file was left.",
            {result.archive, result.detail.empty() ? ErrorText(result.error) : result.detail});
    case Problem::CannotReadArchive:
        return Localized("{0} could not be read as a backup ({1}); nothing was changed.",
                         {result.archive, ErrorText(result.error)});
    case Problem::BadArchive:
        return JoinSentences(Localized("{0} is not a whole backup of a card; nothing was changed.",
                                       {result.archive}),
                             DefectText(result));
    case Problem::Cancelled:
        return result.restore ? Localized("Cancelled; the card is as it was.")
                              : Localized("Cancelled; no backup file was written.");
    case Problem::CannotWriteCard:
        if (result.obstacle) {
            return CardObstacleDetail(result.obstacle);
        }
        if (!result.detail.empty()) {
            return result.detail;
        }
        return Localized("{0}: the change could not be written ({1}).",
                         {card, ErrorText(result.error)});
    case Problem::Pending:
        return Localized("The change is recorded on {0} and is completed the next time the card "
                         "is opened. {1}",
                         {card, CardObstacleDetail(result.obstacle)});
    case Problem::Undecided:
        return Localized("Whether the change reached {0} cannot be told: {1}",
                         {card, CardObstacleDetail(result.obstacle)});
    }
    return {};
}

std::string CardBackupDoneText(const CardBackupResult& result) {
    return Localized("{0} backed up into {1} ({2}).",
                     {result.card, result.archive, SizeText(result.bytes)});
}

std::string CardRestoreDoneText(const CardBackupResult& result) {
    return Localized("{0} restored from {1}: the card holds exactly what the backup holds.",
                     {result.card, result.archive});
}

std::string RestoreQuestion(const std::string& archive, const std::string& card,
                            const std::vector<int>& occupiedSlots) {
    const std::string question =
        Localized("Restore the backup {0} onto {1}? Everything the converter keeps on the card "
                  "is replaced by what the backup holds.",
                  {archive, card});
    if (occupiedSlots.empty()) {
        return question;
    }
    return JoinSentences(question,
                         Localized("Pads that hold a sample now: {0}.", {PadList(occupiedSlots)}));
}

} // namespace ZQ3

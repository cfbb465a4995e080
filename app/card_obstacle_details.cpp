#include "app/card_obstacle_details.h"

#include "app/localized_text.h"
#include "app/quantity_text.h"
#include "app/refusal_details.h"

namespace ZQ3 {
namespace {

std::string KindName(CardObstacle::Kind kind) {
    switch (kind) {
    case CardObstacle::Kind::Folder:
        return Localized("folder");
    case CardObstacle::Kind::SymbolicLink:
        return Localized("symbolic link");
    case CardObstacle::Kind::Fifo:
        return Localized("FIFO (named pipe)");
    case CardObstacle::Kind::Device:
        return Localized("device");
    case CardObstacle::Kind::Socket:
        return Localized("socket");
    case CardObstacle::Kind::None:
    case CardObstacle::Kind::Other:
    case CardObstacle::Kind::SystemError:
    case CardObstacle::Kind::ReadBackDiffers:
    case CardObstacle::Kind::ReadOnlyCard:
    case CardObstacle::Kind::CardFull:
    case CardObstacle::Kind::CardRemoved:
    case CardObstacle::Kind::HistoryNotWritten:
        break;
    }
    return Localized("special file");
}

// Why the card took no change, followed by how it was left.
std::string WithCardAfterwards(const std::string& why, CardAfterwards afterwards) {
    if (afterwards == CardAfterwards::Recorded) {
        return why;
    }
    return WithCardAsItWas(why);
}

} // namespace

std::string WithCardAsItWas(const std::string& why) {
    return why.empty() ? why : JoinSentences(why, Localized("The card is as it was."));
}

std::string CardSpaceShortDetail(const std::string& root, std::uint64_t bytesNeeded,
                                 std::uint64_t freeBytes) {
    return WithCardAsItWas(Localized("{0}: the card has too little space: the change needs {1} "
                                     "on it, and {2} is free. Make room on it (delete samples you "
                                     "no longer need), then try again.",
                                     {root, SizeText(bytesNeeded), SizeText(freeBytes)}));
}

std::string ReadOnlyCardDetail(const std::string& root) {
    return Localized("{0}: the card is read-only: it is mounted read-only, or its write-protect "
                     "switch is on. Slide the switch to unlock the card, or mount it read-write, "
                     "then open the card again.",
                     {root});
}

std::string CardObstacleDetail(const CardObstacle& obstacle, CardAfterwards afterwards) {
    if (!obstacle) {
        return {};
    }
    switch (obstacle.kind) {
    case CardObstacle::Kind::ReadOnlyCard:
        return WithCardAfterwards(ReadOnlyCardDetail(obstacle.path), afterwards);
    case CardObstacle::Kind::CardFull:
        return WithCardAfterwards(
            Localized("{0}: the card is full. Make room on it (delete samples you no longer "
                      "need), then try again.",
                      {obstacle.path}),
            afterwards);
    case CardObstacle::Kind::CardRemoved:
        return WithCardAfterwards(
            Localized("{0}: the card was removed, or its reader stopped answering, while it was "
                      "being changed. Put the card back and open it again.",
                      {obstacle.path}),
            afterwards);
    default:
        break;
    }
    if (obstacle.kind == CardObstacle::Kind::SystemError) {
        return Localized(
            "{0}: the card's file could not be examined or changed (system error {1}).",
            {obstacle.path, std::to_string(obstacle.errorNumber)});
    }
    if (obstacle.kind == CardObstacle::Kind::HistoryNotWritten) {
        return Localized(
            "{0}: the history that lets this change be undone could not be written on the "
            "computer (system error {1}). Nothing was changed on the card; make room on the "
            "computer's disk, or set ZQ3_HISTORY_LIMIT=0 to change the card without a history.",
            {obstacle.path, std::to_string(obstacle.errorNumber)});
    }
    if (obstacle.kind == CardObstacle::Kind::ReadBackDiffers) {
        return Localized(
            "{0}: read back from the card, the file differs from what was written: the card or "
            "its reader corrupts data. Nothing was changed; try another reader or card.",
            {obstacle.path});
    }
    return Localized("A {0} is in the way at {1}: the converter keeps only its own regular files "
                     "under this name. Move or remove it, then try again; nothing was changed.",
                     {KindName(obstacle.kind), obstacle.path});
}

std::string CardFilesDetail(const std::vector<std::string>& paths, IFileSystem& fs) {
    for (const std::string& path : paths) {
        if (const CardObstacle obstacle = ExamineCardName(path, fs)) {
            return CardObstacleDetail(obstacle);
        }
    }
    return {};
}

std::string RecoveryObstacleDetail(const std::string& cardDirectory, const CardObstacle& obstacle) {
    if (obstacle.kind == CardObstacle::Kind::None ||
        obstacle.kind == CardObstacle::Kind::SystemError) {
        return RecoveryFailedDetail(obstacle ? obstacle.path : cardDirectory, obstacle.errorNumber);
    }
    return Localized("{0}: a change to the card was interrupted and cannot be completed: a {1} is "
                     "in the way at {2}. Move or remove it, then open the card again; the change "
                     "is completed then. Nothing else was changed.",
                     {cardDirectory, KindName(obstacle.kind), obstacle.path});
}

std::string LinkedConverterFolderDetail(const std::string& root) {
    return Localized(
        "{0}: its KELDRA/ZQ314 folder is reached through a symbolic link; the converter "
        "works only on a card's own folder, never on the folder a link leads to.",
        {root});
}

std::string NotACardDetail(const std::string& card) {
    return Localized("{0} is not a card for the ZQ-314: it has no KELDRA/ZQ314 folder.", {card});
}

std::string CardBusyDetail(const std::string& card) {
    return Localized("{0}: another converter is changing the card; nothing was changed.", {card});
}

} // namespace ZQ3

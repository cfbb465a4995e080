#pragma once

#include "card/card_obstacle.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ZQ3 {

// The details that follow a command's message when something on the card is in the way of a
// change, in the catalogue's current language: what stands where, and what the user can do.

// What the card holds after the change that the obstacle stopped.
enum class CardAfterwards {
    // Nothing was changed.
    AsItWas,
    // The change is recorded on the card (or may be): the message before the detail says what
    // becomes of it.
    Recorded,
};

// "A folder is in the way at .../SMP0003L.ZQD ...", or the name at which the system refused: a
// read-only, full or removed card says so, what to do, and how the card was left.
std::string CardObstacleDetail(const CardObstacle& obstacle,
                               CardAfterwards afterwards = CardAfterwards::AsItWas);

// why (a reason a change of the card did not go ahead) followed by the card being as it was;
// empty when why is.
std::string WithCardAsItWas(const std::string& why);

// The card at root has too little space for a change: bytesNeeded against freeBytes, what to
// do, and that the card is as it was.
std::string CardSpaceShortDetail(const std::string& root, std::uint64_t bytesNeeded,
                                 std::uint64_t freeBytes);

// The card at root cannot be written, as it is mounted read-only or its write-protect switch is
// on, and what to do about it.
std::string ReadOnlyCardDetail(const std::string& root);

// What is in the way at the first of the card files at paths that is not a regular file or
// absent: the reason a pad's channel files were not read. Empty when each is one.
std::string CardFilesDetail(const std::vector<std::string>& paths, IFileSystem& fs);

// A change interrupted earlier that cannot be completed now, in the card's folder cardDirectory,
// for what is in the way.
std::string RecoveryObstacleDetail(const std::string& cardDirectory, const CardObstacle& obstacle);

// card (as the user gave it) has no converter folder, so it is no card.
std::string NotACardDetail(const std::string& card);
// Another converter holds the lock of card, so a command changed nothing.
std::string CardBusyDetail(const std::string& card);

// The converter folder of the card at root, or its KELDRA folder, is a symbolic link.
std::string LinkedConverterFolderDetail(const std::string& root);

} // namespace ZQ3

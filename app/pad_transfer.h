#pragma once

#include "card/card_lock.h"
#include "card/card_obstacle.h"
#include "card/file_system.h"
#include "card/sample_entry.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ZQ3 {

// Moving, copying and swapping pads carries each record unchanged and copies its channel files
// byte for byte under the destination's names: nothing is decoded or encoded again.
enum class PadTransferKind {
    // The source pads end empty.
    Move,
    // The source pads keep their samples.
    Copy,
    // Source and destination trade samples; only on one card.
    Swap,
};

// The sample of source goes to destination, both by slot (bank * 16 + pad).
struct SlotPair {
    int source = 0;
    int destination = 0;
};

// Why a transfer cannot be planned as asked.
enum class PadTransferRefusal {
    None,
    // A slot is out of range, or a destination is named twice.
    BadSlots,
    // A pad is both a source and a destination (a move or copy onto itself).
    Overlapping,
    // No source pad holds a sample.
    NothingToTransfer,
    // Swap names two cards.
    SwapBetweenCards,
};

// The records of the card or cards after a transfer.
struct PadTransferPlan {
    PadTransferRefusal refusal = PadTransferRefusal::None;
    std::vector<SampleEntry> sourceEntries;
    std::vector<SampleEntry> destinationEntries;
    // Destination slots whose sample is lost by the transfer, in slot order: the user is asked
    // about them first. A swap loses none.
    std::vector<int> replacedSlots;
};

// Plans a transfer from the records of the source card to those of the destination card (the
// same vector twice when both are one card).
PadTransferPlan PlanPadTransfer(PadTransferKind kind, const std::vector<SlotPair>& pairs,
                                const std::vector<SampleEntry>& source,
                                const std::vector<SampleEntry>& destination, bool oneCard);

// What a transfer came to.
struct PadTransferring {
    enum class Problem {
        None,
        // The plan refuses the pairs; see refusal.
        Refused,
        // card is not a card, or is busy with another converter, or an interrupted change on it
        // could not be settled (obstacle says why).
        NoCard,
        Busy,
        NotRecovered,
        // card's information file does not read whole: a check and repair come first.
        CardNeedsRepair,
        // The sample at slot of card does not agree with its channel files.
        SourceDamaged,
        // The user did not want to replace the samples of replacedSlots: nothing changed.
        Declined,
        // The change of card could not be written; obstacle or error says why. Nothing changed,
        // unless sourceNotEmptied says otherwise.
        CannotWrite,
        // The change of card is recorded but waits for its next opening, or it cannot be told
        // whether it reached the card.
        Pending,
        Undecided,
    };
    Problem problem = Problem::None;
    PadTransferRefusal refusal = PadTransferRefusal::None;
    std::string card;
    int slot = -1;
    std::vector<int> replacedSlots;
    CardObstacle obstacle;
    int error = 0;
    // A move between cards whose copy is committed on the destination but whose emptying of the
    // source failed: the samples are on both cards, nothing is lost.
    bool sourceNotEmptied = false;
};

struct PadTransferOptions {
    PadTransferKind kind = PadTransferKind::Copy;
    // Whether each change reads its files back from the card before it commits.
    bool readBack = true;
    // Whether each change is kept in its card's history, so that it can be undone.
    bool recordHistory = false;
    CardLockWaiting waiting;
    // Asked with the destination slots whose samples would be lost; false declines.
    std::function<bool(const std::vector<int>& replacedSlots)> confirmReplacing;
};

// Carries out a transfer from the card at sourceRoot to the card at destinationRoot (which may
// be the same card) under both cards' locks, from the records as they are on the cards: one card
// transaction per card changed. A move between cards commits the copy first, so that a failure
// afterwards leaves the samples on both cards rather than on neither.
PadTransferring TransferPads(const std::string& sourceRoot, const std::string& destinationRoot,
                             const std::vector<SlotPair>& pairs, const PadTransferOptions& options,
                             IFileSystem& fs = PosixFileSystem());

} // namespace ZQ3

#include "app/pad_transfer_text.h"

#include "app/card_obstacle_details.h"
#include "app/localized_text.h"
#include "card/card_layout.h"

#include <cstring>

namespace ZQ3 {

namespace {

std::string RefusalText(PadTransferRefusal refusal) {
    switch (refusal) {
    case PadTransferRefusal::None:
        break;
    case PadTransferRefusal::BadSlots:
        return Localized("Each pad can receive only one sample, and pads run from C0 to J15.");
    case PadTransferRefusal::Overlapping:
        return Localized("A pad cannot be both where samples come from and where they go.");
    case PadTransferRefusal::NothingToTransfer:
        return Localized("There is no sample there to take.");
    case PadTransferRefusal::SwapBetweenCards:
        return Localized("Pads can be swapped only on one card; copy or move them between cards.");
    }
    return {};
}

} // namespace

std::string PadTransferProblemText(const PadTransferring& transferring) {
    using Problem = PadTransferring::Problem;
    const std::string& card = transferring.card;
    std::string text;
    switch (transferring.problem) {
    case Problem::None:
    case Problem::Declined:
        return {};
    case Problem::Refused:
        return RefusalText(transferring.refusal);
    case Problem::NoCard:
        return NotACardDetail(card);
    case Problem::Busy:
        return CardBusyDetail(card);
    case Problem::NotRecovered:
        return RecoveryObstacleDetail(CardLayout::CardDirectory(card), transferring.obstacle);
    case Problem::CardNeedsRepair:
        return Localized("{0}: the card's information file does not read whole. `zq3 check` "
                         "shows why and `zq3 repair` mends it; nothing was changed.",
                         {card});
    case Problem::SourceDamaged:
        return Localized("{0} on {1} does not agree with its channel files, so it is not copied "
                         "as it is. `zq3 check` shows why; nothing was changed.",
                         {CardLayout::PadName(transferring.slot), card});
    case Problem::CannotWrite:
        text = transferring.obstacle ? CardObstacleDetail(transferring.obstacle)
                                     : Localized("{0}: the change could not be written ({1}).",
                                                 {card, std::strerror(transferring.error)});
        break;
    case Problem::Pending:
        text = Localized("The change is recorded on {0} and is completed the next time the card "
                         "is opened. {1}",
                         {card, CardObstacleDetail(transferring.obstacle)});
        break;
    case Problem::Undecided:
        text = Localized("Whether the change reached {0} cannot be told: {1}",
                         {card, CardObstacleDetail(transferring.obstacle)});
        break;
    }
    if (transferring.sourceNotEmptied) {
        text += " " + Localized("The samples were copied, but not removed from {0}: they are on "
                                "both cards.",
                                {card});
    }
    return text;
}

std::string PadTransferDoneText(PadTransferKind kind, const std::string& from,
                                const std::string& to) {
    switch (kind) {
    case PadTransferKind::Move:
        return Localized("{0} moved to {1}.", {from, to});
    case PadTransferKind::Copy:
        return Localized("{0} copied to {1}.", {from, to});
    case PadTransferKind::Swap:
        break;
    }
    return Localized("{0} and {1} swapped.", {from, to});
}

} // namespace ZQ3

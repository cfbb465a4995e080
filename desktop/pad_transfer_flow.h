#pragma once

#include "app/pad_transfer.h"
#include "ul/text_dialog.h"

#include <string>

namespace ZQ3::Desktop {

// Moves, copies or swaps the pads of pairs from the card at sourceRoot to the card at destRoot
// (the same card or another), asking first when samples would be replaced, and shows why when
// it cannot. False when nothing changed, so that the caller keeps the card as it shows it.
bool TransferPadsAsked(const std::string& sourceRoot, const std::string& destRoot,
                       ZQ3::PadTransferKind kind, const std::vector<ZQ3::SlotPair>& pairs,
                       bool readBack, bool recordHistory, UL::ITextDialog& dialog,
                       const CardLockWaiting& waiting);

} // namespace ZQ3::Desktop

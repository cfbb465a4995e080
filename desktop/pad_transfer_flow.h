#pragma once

#include "app/pad_transfer.h"
#include "ul/text_dialog.h"

#include <string>

namespace ZQ3::Desktop {

// Moves, copies or swaps the pads of pairs on the card at root, asking first when samples would
// be replaced, and shows why when it cannot. False when nothing changed, so that the caller
// keeps the card as it shows it.
bool TransferPadsAsked(const std::string& root, ZQ3::PadTransferKind kind,
                       const std::vector<ZQ3::SlotPair>& pairs, bool readBack, bool recordHistory,
                       UL::ITextDialog& dialog, const CardLockWaiting& waiting);

} // namespace ZQ3::Desktop

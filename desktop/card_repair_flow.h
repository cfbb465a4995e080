#pragma once

#include "card/card_lock.h"
#include "ul/text_dialog.h"

#include <string>

namespace ZQ3::Desktop {

// Checks the card at root and, when something does not agree, shows what and what a repair
// would do, and repairs it once the user agrees; the outcome is shown too. False when the user
// declined, so that nothing changed.
bool CheckAndRepairCard(const std::string& root, UL::ITextDialog& dialog,
                        const CardLockWaiting& waiting);

} // namespace ZQ3::Desktop

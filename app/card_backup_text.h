#pragma once

#include "app/card_backup.h"

#include <string>
#include <vector>

namespace ZQ3 {

// Why a backup or a restore did not happen, or did not finish, for the user; empty when it did,
// or when the user declined it.
std::string CardBackupProblemText(const CardBackupResult& result);

// What a finished backup or restore did.
std::string CardBackupDoneText(const CardBackupResult& result);
std::string CardRestoreDoneText(const CardBackupResult& result);

// The question asked before a restore replaces what the card holds, naming the pads that hold a
// sample now.
std::string RestoreQuestion(const std::string& archive, const std::string& card,
                            const std::vector<int>& occupiedSlots);

} // namespace ZQ3

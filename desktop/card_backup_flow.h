#pragma once

#include "card/card_lock.h"
#include "ul/progress.h"
#include "ul/text_dialog.h"

#include <string>

namespace ZQ3::Desktop {

// Backs up the card at root into the archive at path, an existing one replaced when the save
// dialog has asked about it already (replace), with progress and Cancel, and says how it went.
void BackUpCardShown(const std::string& root, const std::string& path, bool replace,
                     UL::IProgress& progress, UL::ITextDialog& dialog,
                     const CardLockWaiting& waiting);

// Restores the backup at path onto the card at root, with progress and Cancel, after the
// question that names what is replaced; shows why when it cannot. False when the card was not
// changed, so that the caller keeps the card as it shows it.
bool RestoreCardAsked(const std::string& root, const std::string& path, bool readBack,
                      bool recordHistory, UL::IProgress& progress, UL::ITextDialog& dialog,
                      const CardLockWaiting& waiting);

} // namespace ZQ3::Desktop

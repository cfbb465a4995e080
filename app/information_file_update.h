#pragma once

#include "app/temporary_files.h"

#include <string>

namespace ZQ3 {

// Puts newInformationFile (a complete, valid sample-information file written elsewhere) on the
// card at root in place of the card's information file.
//
// The card must never be without a readable information file, or it stops being recognised as
// a card at all. So the new file is copied into the card directory under a temporary name,
// written through to the device, and only then takes the information file's name in a single
// rename: whatever happens, the card holds either the old file or the new one. The temporary
// copy joins temporaries. False when any of it fails.
bool ReplaceCardInformationFile(const std::string& root, const std::string& newInformationFile,
                                CTemporaryFiles& temporaries);

} // namespace ZQ3

#pragma once

#include "app/pad_transfer.h"

#include <string>

namespace ZQ3 {

// Why a transfer did not happen, or did not finish, for the user; empty when it did, or when
// the user declined it.
std::string PadTransferProblemText(const PadTransferring& transferring);

// What a finished transfer did, e.g. "C3 moved to D7." for one pad.
std::string PadTransferDoneText(PadTransferKind kind, const std::string& from,
                                const std::string& to);

} // namespace ZQ3

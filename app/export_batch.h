#pragma once

#include "app/model.h"

#include <string>
#include <vector>

namespace ZQ3 {

// Which pads an export of several pads writes: one pad, a bank, or the whole card.
struct PadSelection {
    enum class Kind { Pad, Bank, Card };
    Kind kind = Kind::Card;
    int bank = 0;
    // Within bank, for Kind::Pad.
    int pad = 0;
};

// The slots of selection that hold a sample on the card of model, in slot order. A single pad
// is named even when it is empty, so that the caller can say it holds nothing.
std::vector<int> SlotsToExport(const CModel& model, const PadSelection& selection);

// "D05.wav": the name a pad's sample gets in a folder of exported pads, two-digit pad numbers
// so that the files list in pad order. fileFormat is CardLayout::FileFormatWave or
// CardLayout::FileFormatAiff.
std::string ExportFileName(int slot, int fileFormat);

} // namespace ZQ3

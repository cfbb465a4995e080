#pragma once

#include "app/model.h"
#include "card/file_system.h"

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

// One pad of an export of several pads: exported, or left out for the reason given.
struct BatchExportPad {
    int slot = 0;
    // Why the pad's sample cannot be read whole (a channel file missing, cut short or not a
    // regular file); empty for a pad that is exported.
    std::string skipReason;

    bool IsSkipped() const { return !skipReason.empty(); }
};

// The pads of an export of bank or card selection, in slot order: one damaged pad never stops a
// backup, so each whose channel files cannot be read is marked skipped with its reason and the
// rest are exported.
std::vector<BatchExportPad> PlanBatchExport(const CModel& model, const PadSelection& selection,
                                            IFileSystem& fs = PosixFileSystem());

// "Not exported: D2: its channel file SMP0012L.ZQD is missing.": a skipped pad, as the export
// goes.
std::string SkippedPadText(const BatchExportPad& pad);
// How a batch export that skipped pads ended: how many of how many were written, and how to
// check and repair the card at root.
std::string BatchExportSkippedText(const std::string& root, int written, int skipped);

// "D05.wav": the name a pad's sample gets in a folder of exported pads, two-digit pad numbers
// so that the files list in pad order. fileFormat is CardLayout::FileFormatWave or
// CardLayout::FileFormatAiff.
std::string ExportFileName(int slot, int fileFormat);

} // namespace ZQ3

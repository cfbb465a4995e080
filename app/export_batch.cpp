#include "app/export_batch.h"

#include "app/card_check_text.h"
#include "app/localized_text.h"
#include "card/card_layout.h"

#include <cstdio>

namespace ZQ3 {

std::vector<int> SlotsToExport(const CModel& model, const PadSelection& selection) {
    std::vector<int> slots;
    if (!model.hasCard()) {
        return slots;
    }
    if (selection.kind == PadSelection::Kind::Pad) {
        slots.push_back(CardLayout::Slot(selection.bank, selection.pad));
        return slots;
    }
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        const bool chosen = selection.kind == PadSelection::Kind::Card ||
                            slot / CardLayout::PadsPerBank == selection.bank;
        if (chosen && !model.entries[static_cast<std::size_t>(slot)].isEmpty()) {
            slots.push_back(slot);
        }
    }
    return slots;
}

std::vector<BatchExportPad> PlanBatchExport(const CModel& model, const PadSelection& selection,
                                            IFileSystem& fs) {
    std::vector<BatchExportPad> pads;
    for (const int slot : SlotsToExport(model, selection)) {
        pads.push_back({slot, DamagedSampleText(model, slot, fs)});
    }
    return pads;
}

std::string SkippedPadText(const BatchExportPad& pad) {
    return Localized("Not exported: {0}", {pad.skipReason});
}

std::string BatchExportSkippedText(const std::string& root, int written, int skipped) {
    const std::string count =
        skipped == 1
            ? Localized("Finished with 1 pad skipped; {0} written.", {std::to_string(written)})
            : Localized("Finished with {0} pads skipped; {1} written.",
                        {std::to_string(skipped), std::to_string(written)});
    return JoinSentences(count, CheckAndRepairAdvice(root));
}

std::string ExportFileName(int slot, int fileFormat) {
    char name[16];
    std::snprintf(
        name, sizeof name, "%c%02d.%s", CardLayout::BankLetter(slot / CardLayout::PadsPerBank),
        slot % CardLayout::PadsPerBank, fileFormat == CardLayout::FileFormatAiff ? "aiff" : "wav");
    return name;
}

} // namespace ZQ3

#include "app/export_batch.h"

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

std::string ExportFileName(int slot, int fileFormat) {
    char name[16];
    std::snprintf(
        name, sizeof name, "%c%02d.%s", CardLayout::BankLetter(slot / CardLayout::PadsPerBank),
        slot % CardLayout::PadsPerBank, fileFormat == CardLayout::FileFormatAiff ? "aiff" : "wav");
    return name;
}

} // namespace ZQ3

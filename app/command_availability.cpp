#include "app/command_availability.h"

#include "app/card_obstacle_details.h"
#include "app/localized_text.h"
#include "card/card_layout.h"

namespace ZQ3 {
namespace {

CommandState Enabled() {
    return {true, {}};
}

CommandState Disabled(std::string reason) {
    return {false, std::move(reason)};
}

CommandAvailability PadCommands(const CModel& model) {
    CommandAvailability commands;
    if (!model.hasCard()) {
        const std::string noCard = Localized("No card is loaded.");
        commands.chooseBank = commands.importFile = commands.exportPad = commands.deletePad =
            commands.playPad = Disabled(noCard);
        return commands;
    }
    commands.chooseBank = Enabled();
    if (!CardLayout::IsValidPad(model.selectedPad)) {
        commands.importFile = commands.exportPad = commands.deletePad = commands.playPad =
            Disabled(Localized("No pad is selected."));
        return commands;
    }
    commands.importFile = Enabled();
    if (model.selectedPadHasSample()) {
        commands.exportPad = commands.deletePad = commands.playPad = Enabled();
    } else {
        commands.exportPad = commands.deletePad = commands.playPad = Disabled(
            Localized("{0} holds no sample.",
                      {CardLayout::PadName(CardLayout::Slot(model.bank, model.selectedPad))}));
    }
    return commands;
}

void TurnOffWritingCommands(const CModel& model, CommandAvailability& commands) {
    if (!model.hasCard() || !model.readOnly) {
        return;
    }
    // Said before any other reason: no pad choice would let these run.
    const std::string reason = ReadOnlyCardDetail(model.cardRoot);
    commands.importFile = commands.deletePad = Disabled(reason);
    commands.cardNotice = Localized("Read-only card: nothing can be imported or deleted.");
}

} // namespace

CommandAvailability AvailableCommands(const CModel& model) {
    CommandAvailability commands = PadCommands(model);
    TurnOffWritingCommands(model, commands);
    return commands;
}

} // namespace ZQ3

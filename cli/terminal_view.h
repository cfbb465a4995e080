#pragma once

#include "app/command_availability.h"
#include "app/model.h"
#include "app/view.h"

#include <functional>

namespace ZQ3 {

// The main view of the command-line tool. A terminal shows nothing while the controller works;
// what the view keeps is which commands the desktop program would offer, so that the tool
// refuses the same things the desktop program's disabled buttons do, for the same reason.
class CTerminalView : public IView {
public:
    explicit CTerminalView(std::function<const CModel&()> model) : model_(std::move(model)) {}

    void updateDrive() override {}
    void updateBank() override {}
    void updatePads() override {}
    void updateImport() override { commands_ = AvailableCommands(model_()); }
    void updateExport() override { commands_ = AvailableCommands(model_()); }
    void updateDelete() override { commands_ = AvailableCommands(model_()); }

    const CommandAvailability& commands() const { return commands_; }

private:
    std::function<const CModel&()> model_;
    CommandAvailability commands_;
};

} // namespace ZQ3

#pragma once

namespace ZQ3 {

// What the controller needs of a front end's main view. The controller calls these after it
// changed the model; each reads the installed model for itself.
class IView {
public:
    virtual ~IView() = default;
    // Rebuild the list of drives and select the one holding the model's card root.
    virtual void updateDrive() = 0;
    // Empty and disable the bank list without a card; otherwise list the banks and select one.
    virtual void updateBank() = 0;
    virtual void updatePads() = 0;
    // Import, Export and Delete are enabled as AvailableCommands (app/command_availability.h)
    // says: Import when a pad is selected, Export and Delete when it holds a sample.
    virtual void updateImport() = 0;
    virtual void updateExport() = 0;
    virtual void updateDelete() = 0;
};

} // namespace ZQ3

#include "cli/commands.h"

namespace ZQ3 {

const std::vector<CommandRegistrar>& CommandRegistrars() {
    static const std::vector<CommandRegistrar> registrars = {
        AddInfoCommand,    AddInitCommand,    AddImportCommand, AddExportCommand,  AddDeleteCommand,
        AddPlayCommand,    AddConvertCommand, AddCheckCommand,  AddRepairCommand,  AddMoveCommand,
        AddCopyCommand,    AddSwapCommand,    AddBackupCommand, AddRestoreCommand, AddSlicesCommand,
        AddHistoryCommand, AddUndoCommand,    AddRedoCommand,
    };
    return registrars;
}

} // namespace ZQ3

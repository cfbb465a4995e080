#pragma once

#include "cli/cli_context.h"

namespace ZQ3 {

CliCommand AddInfoCommand(CLI::App& app, CCliContext& context);
CliCommand AddInitCommand(CLI::App& app, CCliContext& context);
CliCommand AddImportCommand(CLI::App& app, CCliContext& context);
CliCommand AddExportCommand(CLI::App& app, CCliContext& context);
CliCommand AddDeleteCommand(CLI::App& app, CCliContext& context);
CliCommand AddPlayCommand(CLI::App& app, CCliContext& context);
CliCommand AddConvertCommand(CLI::App& app, CCliContext& context);
CliCommand AddCheckCommand(CLI::App& app, CCliContext& context);
CliCommand AddRepairCommand(CLI::App& app, CCliContext& context);
CliCommand AddMoveCommand(CLI::App& app, CCliContext& context);
CliCommand AddCopyCommand(CLI::App& app, CCliContext& context);
CliCommand AddSwapCommand(CLI::App& app, CCliContext& context);
CliCommand AddBackupCommand(CLI::App& app, CCliContext& context);
CliCommand AddRestoreCommand(CLI::App& app, CCliContext& context);
CliCommand AddSlicesCommand(CLI::App& app, CCliContext& context);
CliCommand AddHistoryCommand(CLI::App& app, CCliContext& context);
CliCommand AddUndoCommand(CLI::App& app, CCliContext& context);
CliCommand AddRedoCommand(CLI::App& app, CCliContext& context);

} // namespace ZQ3

#include "app/card_backup.h"
#include "app/card_backup_text.h"
#include "app/localized_text.h"
#include "cli/commands.h"
#include "cli/pad_command.h"

#include <CLI/CLI.hpp>

namespace ZQ3 {
namespace {

struct BackupArguments {
    std::string card;
    std::string file;
    bool assumeYes = false;
    bool force = false;
    bool quiet = false;
    bool noVerify = false;
};

// The exit code for how a backup or restore ended, after saying what went wrong.
int Ending(CCliContext& context, const CardBackupResult& result) {
    using Problem = CardBackupResult::Problem;
    const std::string problem = CardBackupProblemText(result);
    switch (result.problem) {
    case Problem::None:
    case Problem::Declined:
        return ExitDone;
    case Problem::Cancelled:
        context.note(problem);
        return ExitCancelled;
    case Problem::Pending:
    case Problem::Undecided:
        context.note(problem);
        return ExitUnsettled;
    default:
        return context.fail(problem);
    }
}

int BackUp(CCliContext& context, const BackupArguments& arguments) {
    context.setQuiet(arguments.quiet);
    context.useTerminalProgress();
    const std::shared_ptr<UL::IProgress> progress = context.controller().makeProgress();
    CardBackupOptions options;
    options.replaceExisting = arguments.force;
    options.waiting = context.controller().cardLockWaiting();
    options.progress = progress.get();
    const CardBackupResult result =
        BackUpCard(CardRootFromArgument(arguments.card), AbsolutePath(arguments.file), options);
    if (result.problem != CardBackupResult::Problem::None) {
        return Ending(context, result);
    }
    context.say(CardBackupDoneText(result));
    return ExitDone;
}

int Restore(CCliContext& context, const BackupArguments& arguments) {
    context.setQuiet(arguments.quiet);
    context.useTerminalProgress();
    const std::shared_ptr<UL::IProgress> progress = context.controller().makeProgress();
    const std::string root = CardRootFromArgument(arguments.card);
    const std::string file = AbsolutePath(arguments.file);
    CPadCommand asking(context);
    std::optional<int> declined;
    CardBackupOptions options;
    options.readBack = !arguments.noVerify;
    options.recordHistory = context.controller().recordsHistory();
    options.waiting = context.controller().cardLockWaiting();
    options.progress = progress.get();
    options.confirmRestoring = [&](const std::vector<int>& occupied) {
        declined = asking.confirm(RestoreQuestion(file, root, occupied), arguments.assumeYes);
        return !declined;
    };
    const CardBackupResult result = RestoreCard(root, file, options);
    if (declined) {
        return *declined;
    }
    if (result.problem != CardBackupResult::Problem::None) {
        return Ending(context, result);
    }
    context.say(CardRestoreDoneText(result));
    return ExitDone;
}

} // namespace

CliCommand AddBackupCommand(CLI::App& app, CCliContext& context) {
    auto* subcommand = app.add_subcommand("backup", "Back up the card's files into a tar archive");
    auto arguments = std::make_shared<BackupArguments>();
    subcommand->add_option("CARD", arguments->card)->required();
    subcommand->add_option("FILE", arguments->file)->required();
    subcommand->add_flag("--force", arguments->force);
    subcommand->add_flag("--quiet,-q", arguments->quiet);
    return {subcommand, [&context, arguments] { return BackUp(context, *arguments); }};
}

CliCommand AddRestoreCommand(CLI::App& app, CCliContext& context) {
    auto* subcommand = app.add_subcommand("restore", "Make the card equal to a backup");
    auto arguments = std::make_shared<BackupArguments>();
    subcommand->add_option("CARD", arguments->card)->required();
    subcommand->add_option("FILE", arguments->file)->required();
    subcommand->add_flag("--yes,-y", arguments->assumeYes);
    subcommand->add_flag("--quiet,-q", arguments->quiet);
    subcommand->add_flag("--no-verify", arguments->noVerify);
    return {subcommand, [&context, arguments] { return Restore(context, *arguments); }};
}

} // namespace ZQ3

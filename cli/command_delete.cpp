#include "app/message_catalogue.h"
#include "cli/commands.h"
#include "cli/pad_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace ZQ3 {
namespace {

struct DeleteArguments {
    std::string card;
    std::string pad;
    bool assumeYes = false;
};

int Delete(CCliContext& context, const DeleteArguments& arguments) {
    CPadCommand command(context);
    if (auto exitCode =
            command.prepare(arguments.card, arguments.pad, CPadCommand::CardUse::Change)) {
        return *exitCode;
    }
    if (!context.model().selectedPadHasSample()) {
        std::fprintf(stderr, "zq3 delete: pad %s holds no sample\n", command.padName().c_str());
        return ExitFailed;
    }
    if (!command.confirm(MessageDeleteQuestion, arguments.assumeYes)) {
        return ExitCancelled;
    }
    return ExitCodeOf(context.controller().deletePad(command.pad().pad));
}

} // namespace

CliCommand AddDeleteCommand(CLI::App& app, CCliContext& context) {
    auto* deleteCommand = app.add_subcommand("delete", "Empty PAD of CARD");
    auto arguments = std::make_shared<DeleteArguments>();
    deleteCommand->add_option("CARD", arguments->card, "Folder or mount point of the memory card")
        ->required();
    deleteCommand->add_option("PAD", arguments->pad, "Pad to empty, e.g. D5")->required();
    deleteCommand->add_flag("--yes,-y", arguments->assumeYes, "Delete without asking");
    return {deleteCommand, [&context, arguments] { return Delete(context, *arguments); }};
}

} // namespace ZQ3

#include "app/localized_text.h"
#include "cli/commands.h"
#include "cli/pad_command.h"
#include "cli/sample_description.h"

#include <CLI/CLI.hpp>

namespace ZQ3 {
namespace {

struct DeleteArguments {
    std::string card;
    std::string pad;
    bool assumeYes = false;
    bool quiet = false;
    bool noVerify = false;
};

int Delete(CCliContext& context, const DeleteArguments& arguments) {
    context.setQuiet(arguments.quiet);
    CPadCommand command(context);
    if (auto exitCode =
            command.prepare(arguments.card, arguments.pad, CPadCommand::CardUse::Change)) {
        return *exitCode;
    }
    if (const CommandState& deletion = context.view().commands().deletePad; !deletion) {
        return context.fail(deletion.reason);
    }
    const std::string description = SampleDescription(context.model().entryOf(command.pad().pad));
    if (auto exitCode = command.confirm(Localized("Delete the sample on {0}?", {command.padName()}),
                                        arguments.assumeYes)) {
        return *exitCode;
    }
    context.controller().setReadBack(!arguments.noVerify);
    const int exitCode = ExitCodeOf(context.controller().deletePad(command.pad().pad));
    if (exitCode == ExitDone) {
        context.say(Localized("{0} emptied {1}", {command.padName(), description}));
    }
    return exitCode;
}

} // namespace

CliCommand AddDeleteCommand(CLI::App& app, CCliContext& context) {
    auto* deleteCommand = app.add_subcommand("delete", "Empty PAD of CARD");
    auto arguments = std::make_shared<DeleteArguments>();
    deleteCommand->add_option("CARD", arguments->card)->required();
    deleteCommand->add_option("PAD", arguments->pad)->required();
    deleteCommand->add_flag("--yes,-y", arguments->assumeYes);
    deleteCommand->add_flag("--quiet,-q", arguments->quiet);
    deleteCommand->add_flag("--no-verify", arguments->noVerify);
    return {deleteCommand, [&context, arguments] { return Delete(context, *arguments); }};
}

} // namespace ZQ3

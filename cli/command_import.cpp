#include "app/message_catalogue.h"
#include "cli/commands.h"
#include "cli/pad_command.h"

#include <CLI/CLI.hpp>

namespace ZQ3 {
namespace {

struct ImportArguments {
    std::string card;
    std::string pad;
    std::string file;
    bool assumeYes = false;
};

int Import(CCliContext& context, const ImportArguments& arguments) {
    CPadCommand command(context);
    if (auto exitCode =
            command.prepare(arguments.card, arguments.pad, CPadCommand::CardUse::Change)) {
        return *exitCode;
    }
    if (context.model().selectedPadHasSample() &&
        !command.confirm(MessageOverwriteQuestion, arguments.assumeYes)) {
        return ExitCancelled;
    }
    return ExitCodeOf(context.controller().importFile(AbsolutePath(arguments.file)));
}

} // namespace

CliCommand AddImportCommand(CLI::App& app, CCliContext& context) {
    auto* import = app.add_subcommand("import", "Put a WAV or AIFF FILE onto PAD of CARD");
    auto arguments = std::make_shared<ImportArguments>();
    import->add_option("CARD", arguments->card, "Folder or mount point of the memory card")
        ->required();
    import->add_option("PAD", arguments->pad, "Pad to fill, e.g. D5")->required();
    import
        ->add_option("FILE", arguments->file,
                     "16-bit 44.1 kHz mono or stereo WAV or AIFF file, at least 70 ms long")
        ->required();
    import->add_flag("--yes,-y", arguments->assumeYes,
                     "Replace a sample already on the pad without asking");
    return {import, [&context, arguments] { return Import(context, *arguments); }};
}

} // namespace ZQ3

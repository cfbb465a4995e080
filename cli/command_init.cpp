#include "app/card_initialisation.h"
#include "app/localized_text.h"
#include "cli/cli_context.h"
#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace ZQ3 {
namespace {

int Initialise(CCliContext& context, const std::string& card) {
    const CardInitialisation result =
        InitialiseCard(CardRootFromArgument(card), context.controller().cardLockWaiting());
    // What was made, the folders on the way included, even when the card itself could not be.
    for (const std::string& folder : result.madeFolders) {
        std::printf("%s\n", Localized("{0}: the folder was made.", {folder}).c_str());
    }
    std::fflush(stdout);
    if (result.problem != CardInitialisation::Problem::None) {
        std::fprintf(stderr, "%s%s\n", ErrorPrefix("init").c_str(), result.text().c_str());
        return ExitFailed;
    }
    std::printf("%s\n", result.path.c_str());
    return ExitDone;
}

} // namespace

CliCommand AddInitCommand(CLI::App& app, CCliContext& context) {
    auto* init = app.add_subcommand(
        "init", "Make CARD/KELDRA/ZQ314/ and an information file of 128 empty slots");
    auto card = std::make_shared<std::string>();
    init->add_option("CARD", *card, "Folder or mount point to prepare as a card (made if missing)")
        ->required();
    return {init, [&context, card] { return Initialise(context, *card); }};
}

} // namespace ZQ3

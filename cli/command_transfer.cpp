#include "app/import_batch.h"
#include "app/localized_text.h"
#include "app/pad_transfer.h"
#include "app/pad_transfer_text.h"
#include "card/card_layout.h"
#include "cli/commands.h"
#include "cli/pad_command.h"
#include "cli/pad_name.h"

#include <CLI/CLI.hpp>

#include <cctype>

namespace ZQ3 {
namespace {

struct TransferArguments {
    // CARD FROM TO, or CARD FROM CARD2 TO.
    std::vector<std::string> places;
    bool assumeYes = false;
    bool quiet = false;
    bool noVerify = false;
};

// A pad ("D5") or a whole bank ("D"): the first slot and how many follow it.
struct PadRange {
    int firstSlot = 0;
    int count = 1;
};

std::optional<PadRange> ParsePadRange(const std::string& name) {
    if (name.size() == 1) {
        const int bank = std::toupper(static_cast<unsigned char>(name[0])) - 'C';
        if (!CardLayout::IsValidBank(bank)) {
            return std::nullopt;
        }
        return PadRange{CardLayout::Slot(bank, 0), CardLayout::PadsPerBank};
    }
    if (const std::optional<PadAddress> pad = ParsePadName(name)) {
        return PadRange{pad->slot(), 1};
    }
    return std::nullopt;
}

int Transfer(CCliContext& context, const char* command, PadTransferKind kind,
             const TransferArguments& arguments) {
    context.setQuiet(arguments.quiet);
    const std::vector<std::string>& places = arguments.places;
    if (places.size() != 3 && places.size() != 4) {
        return UsageError(command, Localized("give CARD FROM TO, or CARD FROM CARD2 TO"));
    }
    const std::string& fromName = places[1];
    const std::string& toName = places.back();
    const std::optional<PadRange> from = ParsePadRange(fromName);
    const std::optional<PadRange> to = ParsePadRange(toName);
    if (!from || !to || from->count != to->count) {
        return UsageError(command, Localized("FROM and TO must both be pads such as D5, or both "
                                             "bank letters C to J"));
    }
    std::vector<SlotPair> pairs;
    for (int i = 0; i < from->count; ++i) {
        pairs.push_back({from->firstSlot + i, to->firstSlot + i});
    }
    const std::string sourceRoot = CardRootFromArgument(places[0]);
    const std::string destinationRoot =
        places.size() == 4 ? CardRootFromArgument(places[2]) : sourceRoot;

    CPadCommand asking(context);
    std::optional<int> declined;
    PadTransferOptions options;
    options.kind = kind;
    options.readBack = !arguments.noVerify;
    options.recordHistory = context.controller().recordsHistory();
    options.waiting = context.controller().cardLockWaiting();
    options.confirmReplacing = [&](const std::vector<int>& slots) {
        declined = asking.confirm(ReplaceQuestion(slots), arguments.assumeYes);
        return !declined;
    };
    const PadTransferring transferring = TransferPads(sourceRoot, destinationRoot, pairs, options);
    if (declined) {
        return *declined;
    }
    if (const std::string problem = PadTransferProblemText(transferring); !problem.empty()) {
        const int exitCode = context.fail(problem);
        const bool committed = transferring.problem == PadTransferring::Problem::Pending ||
                               transferring.problem == PadTransferring::Problem::Undecided;
        return committed ? int(ExitUnsettled) : exitCode;
    }
    context.say(PadTransferDoneText(kind, fromName, toName));
    return ExitDone;
}

CliCommand AddTransferCommand(CLI::App& app, CCliContext& context, const char* name,
                              const char* description, PadTransferKind kind) {
    auto* subcommand = app.add_subcommand(name, description);
    auto arguments = std::make_shared<TransferArguments>();
    subcommand->add_option("CARD FROM [CARD2] TO", arguments->places)->required();
    subcommand->add_flag("--yes,-y", arguments->assumeYes);
    subcommand->add_flag("--quiet,-q", arguments->quiet);
    subcommand->add_flag("--no-verify", arguments->noVerify);
    return {subcommand, [&context, arguments, name, kind] {
                return Transfer(context, name, kind, *arguments);
            }};
}

} // namespace

CliCommand AddMoveCommand(CLI::App& app, CCliContext& context) {
    return AddTransferCommand(app, context, "move", "Move pads or a bank", PadTransferKind::Move);
}

CliCommand AddCopyCommand(CLI::App& app, CCliContext& context) {
    return AddTransferCommand(app, context, "copy", "Copy pads or a bank", PadTransferKind::Copy);
}

CliCommand AddSwapCommand(CLI::App& app, CCliContext& context) {
    return AddTransferCommand(app, context, "swap", "Swap two pads or banks",
                              PadTransferKind::Swap);
}

} // namespace ZQ3

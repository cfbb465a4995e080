#include "app/card_check_text.h"
#include "app/card_repair.h"
#include "app/localized_text.h"
#include "cli/commands.h"
#include "cli/pad_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace ZQ3 {
namespace {

struct CheckArguments {
    std::string card;
    bool assumeYes = false;
};

void PrintFindings(const std::string& root, const CardCheck& check) {
    for (const CardFinding& finding : check.findings) {
        std::printf("%s\n", FindingText(root, check, finding).c_str());
    }
}

int Check(CCliContext& context, const CheckArguments& arguments) {
    const std::string root = CardRootFromArgument(arguments.card);
    const CardCheck check = CheckCard(root);
    PrintFindings(root, check);
    if (check.IsClean()) {
        context.say(Localized("{0}: every record agrees with its files.", {root}));
        return ExitDone;
    }
    std::fprintf(stderr, "%s\n",
                 Localized("Problems found: {0}. `zq3 repair CARD` mends what can be mended.",
                           {std::to_string(check.findings.size())})
                     .c_str());
    return ExitFailed;
}

int Repair(CCliContext& context, const CheckArguments& arguments) {
    const std::string root = CardRootFromArgument(arguments.card);
    CPadCommand command(context);
    std::optional<int> declined;
    const CardRepairing repairing = RepairCard(
        root,
        [&](const CardCheck& check, const CardRepairPlan& plan) {
            std::printf("%s", RepairPlanText(root, check, plan).c_str());
            declined = command.confirm(RepairQuestion(), arguments.assumeYes);
            return !declined;
        },
        context.controller().cardLockWaiting());
    if (declined) {
        return *declined;
    }
    if (const std::string problem = RepairingProblemText(root, repairing); !problem.empty()) {
        const int exitCode = context.fail(problem);
        const bool committed = repairing.problem == CardRepairing::Problem::Pending ||
                               repairing.problem == CardRepairing::Problem::Undecided;
        return committed ? int(ExitUnsettled) : exitCode;
    }
    context.say(RepairedText(root, repairing));
    return ExitDone;
}

} // namespace

CliCommand AddCheckCommand(CLI::App& app, CCliContext& context) {
    auto* check = app.add_subcommand("check", "Report whatever on CARD does not agree");
    auto arguments = std::make_shared<CheckArguments>();
    check->add_option("CARD", arguments->card)->required();
    return {check, [&context, arguments] { return Check(context, *arguments); }};
}

CliCommand AddRepairCommand(CLI::App& app, CCliContext& context) {
    auto* repair = app.add_subcommand("repair", "Mend what check reports, keeping every sound pad");
    auto arguments = std::make_shared<CheckArguments>();
    repair->add_option("CARD", arguments->card)->required();
    repair->add_flag("--yes,-y", arguments->assumeYes);
    return {repair, [&context, arguments] { return Repair(context, *arguments); }};
}

} // namespace ZQ3

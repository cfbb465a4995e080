#include "app/export_batch.h"
#include "app/export_target.h"
#include "app/localized_text.h"
#include "app/shown_name.h"
#include "card/card_layout.h"
#include "cli/commands.h"
#include "cli/pad_command.h"
#include "cli/sample_description.h"
#include "gt/ascii_case.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace ZQ3 {
namespace {

struct ExportArguments {
    std::string card;
    std::string pads;
    std::string target;
    std::string format;
    bool quiet = false;
};

bool IsFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::optional<int> FormatOption(const std::string& format) {
    if (format == "wav") {
        return CardLayout::FileFormatWave;
    }
    if (format == "aiff") {
        return CardLayout::FileFormatAiff;
    }
    return std::nullopt;
}

// PADS: "all", a bank letter, or one pad.
std::optional<PadSelection> ParseSelection(const std::string& pads) {
    PadSelection selection;
    if (GT::AsciiLowered(pads) == "all") {
        selection.kind = PadSelection::Kind::Card;
        return selection;
    }
    if (pads.size() == 1) {
        const int bank = std::toupper(static_cast<unsigned char>(pads[0])) - 'C';
        if (!CardLayout::IsValidBank(bank)) {
            return std::nullopt;
        }
        selection.kind = PadSelection::Kind::Bank;
        selection.bank = bank;
        return selection;
    }
    const auto pad = ParsePadName(pads);
    if (!pad) {
        return std::nullopt;
    }
    selection.kind = PadSelection::Kind::Pad;
    selection.bank = pad->bank;
    selection.pad = pad->pad;
    return selection;
}

// Exports slot of the loaded card to path and says so.
int ExportSlot(CCliContext& context, int slot, int format, const std::string& path) {
    CController& controller = context.controller();
    if (!controller.selectBank(slot / CardLayout::PadsPerBank) ||
        !controller.selectPad(slot % CardLayout::PadsPerBank)) {
        return ExitFailed;
    }
    const int exitCode = ExitCodeOf(controller.exportPad(format, path));
    if (exitCode == ExitDone) {
        context.say(CardLayout::PadName(slot) + " → " + ShownName(path) + " " +
                    SampleDescription(context.model().entries[std::size_t(slot)]));
    }
    return exitCode;
}

int Export(CCliContext& context, const ExportArguments& arguments) {
    context.setQuiet(arguments.quiet);
    const auto selection = ParseSelection(arguments.pads);
    if (!selection) {
        return UsageError(context.command(),
                          Localized("PADS must be a pad such as D5, a bank letter C to J, or all, "
                                    "not '{0}'.",
                                    {arguments.pads}));
    }
    // Absolute, without a trailing "/", for a file as for a folder.
    const std::string target = CardRootFromArgument(arguments.target);
    const ExportTarget decided =
        DecideExportTarget(selection->kind != PadSelection::Kind::Pad, arguments.target,
                           FormatOption(arguments.format));
    if (!decided.isValid()) {
        return UsageError(context.command(), decided.problem);
    }
    const bool intoFolder = decided.intoFolder;
    const std::optional<int> format = decided.fileFormat;
    CPadCommand command(context);
    // The card is only read, but under its lock all the same: a sample replaced half-way
    // through would mix two samples in one file, or two states of the card in one backup.
    if (auto exitCode =
            command.prepareCard(arguments.card, CPadCommand::CardUse::Change, selection->bank)) {
        return *exitCode;
    }
    const std::vector<int> slots = SlotsToExport(context.model(), *selection);
    if (selection->kind == PadSelection::Kind::Pad) {
        // One pad is refused as the desktop program's Export button refuses it.
        if (!context.controller().selectPad(selection->pad)) {
            return ExitFailed;
        }
        if (const CommandState& exporting = context.view().commands().exportPad; !exporting) {
            return context.fail(exporting.reason);
        }
    }
    if (!intoFolder) {
        return ExportSlot(context, slots.front(), *format, target);
    }
    if (slots.empty()) {
        context.note(Localized("no pad there holds a sample; nothing was written."));
        return ExitDone;
    }
    if (!IsFolder(target) && ::mkdir(target.c_str(), 0777) != 0) {
        const int error = errno;
        return context.fail(
            Localized("{0}: the folder cannot be made ({1}).", {target, std::strerror(error)}));
    }
    int written = 0;
    int skipped = 0;
    for (const BatchExportPad& pad : PlanBatchExport(context.model(), *selection)) {
        if (pad.IsSkipped()) {
            context.note(SkippedPadText(pad));
            ++skipped;
            continue;
        }
        const std::string path =
            (target == "/" ? std::string() : target) + "/" + ExportFileName(pad.slot, *format);
        if (const int exitCode = ExportSlot(context, pad.slot, *format, path);
            exitCode != ExitDone) {
            return exitCode;
        }
        ++written;
    }
    if (skipped > 0) {
        context.note(BatchExportSkippedText(context.model().cardRoot, written, skipped));
        return ExitPartial;
    }
    return ExitDone;
}

} // namespace

CliCommand AddExportCommand(CLI::App& app, CCliContext& context) {
    auto* exportCommand = app.add_subcommand("export", "Write pads of CARD to files");
    auto arguments = std::make_shared<ExportArguments>();
    exportCommand->add_option("CARD", arguments->card)->required();
    exportCommand->add_option("PADS", arguments->pads)->required();
    exportCommand->add_option("TARGET", arguments->target)->required();
    exportCommand->add_option("--format", arguments->format)->check(CLI::IsMember({"wav", "aiff"}));
    exportCommand->add_flag("--quiet,-q", arguments->quiet);
    return {exportCommand, [&context, arguments] { return Export(context, *arguments); }};
}

} // namespace ZQ3

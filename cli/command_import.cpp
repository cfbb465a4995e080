#include "app/import_plan.h"
#include "app/localized_text.h"
#include "app/shown_name.h"
#include "app/slice_import.h"
#include "card/card_layout.h"
#include "card/path_names.h"
#include "cli/commands.h"
#include "cli/conversion_arguments.h"
#include "cli/interrupt.h"
#include "cli/pad_command.h"
#include "cli/sample_description.h"
#include "gt/ascii_case.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <optional>

namespace ZQ3 {
namespace {

struct ImportArguments {
    std::string card;
    std::string pad;
    std::vector<std::string> files;
    bool assumeYes = false;
    bool quiet = false;
    bool convert = false;
    bool noVerify = false;
    ConversionArguments conversion;
    SliceArguments slicing;
};

// zq3 import CARD PAD FILE --slices ...: the file's slices are written into a work folder and
// imported from PAD on as a batch of files the card takes, in one change of the card.
struct SliceWork {
    CPrivateDirectory folder;
    SlicedFile sliced;
};

int Import(CCliContext& context, const ImportArguments& arguments) {
    context.setQuiet(arguments.quiet);
    const auto options = arguments.conversion.options(context);
    if (!options) {
        return ExitUsage;
    }
    bool slicingValid = true;
    const std::optional<SL::CSliceRequest> slicing =
        arguments.slicing.request(context, slicingValid);
    if (!slicingValid) {
        return ExitUsage;
    }
    // "all" or a bank letter puts a backup back: each file onto the pad its name names.
    const bool everyPad = GT::AsciiLowered(arguments.pad) == "all";
    const std::optional<int> bank = ParseBankLetter(arguments.pad);
    const bool restore = everyPad || bank.has_value();
    CPadCommand command(context);
    if (auto exitCode = restore ? command.prepareCard(arguments.card, CPadCommand::CardUse::Change,
                                                      bank.value_or(0))
                                : command.prepare(arguments.card, arguments.pad,
                                                  CPadCommand::CardUse::Change)) {
        return *exitCode;
    }
    // A card that cannot be written is said so before any file is looked at or question asked.
    if (context.model().readOnly) {
        return context.fail(context.view().commands().importFile.reason);
    }
    std::vector<std::string> sources;
    for (const std::string& file : arguments.files) {
        sources.push_back(AbsolutePath(file));
    }
    std::optional<SliceWork> sliceWork;
    if (slicing) {
        if (restore || sources.size() != 1) {
            return UsageError(context.command(),
                              Localized("--slices chops one file onto PAD and the pads after it."));
        }
        if (options->processing.any()) {
            return UsageError(context.command(),
                              Localized("--slices gives each slice its own short fades; it takes "
                                        "no --trim, --fade-in, --fade-out, --pad, --start or "
                                        "--end."));
        }
        sliceWork.emplace();
        // Ctrl-C stops the slicing as it stops the import; the card is not touched yet.
        sliceWork->sliced = SliceIntoFiles(
            sources.front(), *slicing, *options, command.pad().slot(), sliceWork->folder,
            [](std::int64_t, std::int64_t) { return !InterruptRequested(); });
        if (!sliceWork->sliced.done && sliceWork->sliced.refusal.empty()) {
            // Said as every cancel is, when the tool ends.
            return ExitCancelled;
        }
        if (!sliceWork->sliced.done) {
            return context.fail(sliceWork->sliced.refusal);
        }
        sources = sliceWork->sliced.paths;
    }
    // With --convert a folder stands for every sound file the converter reads.
    const FolderFiles folderFiles =
        arguments.convert ? FolderFiles::EverySoundFile : FolderFiles::WaveAndAiff;
    // The same plan and questions as a drop onto the desktop program's pads; --convert answers
    // the conversion question beforehand, and --yes the replace question.
    const CImportPlan plan(context.model(),
                           restore ? PlanRestoreBatch(bank, sources, folderFiles)
                                   : PlanImportBatch(command.pad().slot(), sources, folderFiles));
    if (!plan.isValid()) {
        return context.fail(plan.problemText());
    }
    ImportAnswers answers;
    // Trimming, fading, a region or padding ask for the conversion that does them; the slices
    // are in the card's format already, mixed and normalised as asked.
    answers.conversion.convert = !slicing && (arguments.convert || options->processing.any());
    answers.conversion.options = *options;
    answers.conversion.adviseConvertOption = true;
    if (plan.asksToReplace(answers.conversion.convert)) {
        if (auto exitCode = command.confirm(plan.replaceQuestion(), arguments.assumeYes)) {
            return *exitCode;
        }
        answers.replace = true;
    }
    context.controller().setReadBack(!arguments.noVerify);
    const int exitCode = ExitCodeOf(context.controller().importPlanned(plan, answers));
    if (exitCode != ExitDone) {
        return exitCode;
    }
    for (const ImportItem& item : plan.items()) {
        context.say(CardLayout::PadName(item.slot) + " ← " +
                    ShownName(PathNames::LastPart(item.path)) + " " +
                    SampleDescription(context.model().entries[std::size_t(item.slot)]));
    }
    return exitCode;
}

} // namespace

CliCommand AddImportCommand(CLI::App& app, CCliContext& context) {
    auto* import = app.add_subcommand("import", "Put WAV or AIFF files onto pads of CARD");
    auto arguments = std::make_shared<ImportArguments>();
    import->add_option("CARD", arguments->card)->required();
    import->add_option("PAD", arguments->pad)->required();
    import->add_option("FILE", arguments->files)->required()->expected(1, -1);
    import->add_flag("--yes,-y", arguments->assumeYes);
    import->add_flag("--quiet,-q", arguments->quiet);
    import->add_flag("--no-verify", arguments->noVerify);
    import->add_flag("--convert", arguments->convert,
                     "Convert files the card does not take as they are to 16-bit 44100 Hz");
    arguments->conversion.addTo(*import);
    arguments->slicing.addTo(*import);
    return {import, [&context, arguments] { return Import(context, *arguments); }};
}

} // namespace ZQ3

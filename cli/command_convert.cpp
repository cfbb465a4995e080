#include "app/file_conversion.h"
#include "app/localized_text.h"
#include "cli/commands.h"
#include "cli/conversion_arguments.h"
#include "cli/interrupt.h"

#include <CLI/CLI.hpp>

namespace ZQ3 {
namespace {

struct ConvertArguments {
    std::string input;
    std::string output;
    ConversionArguments conversion;
    bool quiet = false;
    // --force (or --yes): an existing OUT is replaced.
    bool replace = false;
};

int Convert(CCliContext& context, const ConvertArguments& arguments) {
    context.setQuiet(arguments.quiet);
    const auto options = arguments.conversion.options(context);
    if (!options) {
        return ExitUsage;
    }
    // Ctrl-C and SIGTERM cancel: the work file is removed and OUT stays as it was.
    InstallInterruptHandler();
    const FileConversionOutcome outcome =
        ConvertSoundFile(arguments.input, AbsolutePath(arguments.output), *options,
                         arguments.replace ? ExistingOutput::Replace : ExistingOutput::Keep,
                         [](std::int64_t, std::int64_t) { return !InterruptRequested(); });
    if (outcome.result.status == SL::CConversionResult::Status::Cancelled) {
        context.note(Localized("Cancelled; nothing was written."));
        return ExitCancelled;
    }
    if (outcome.outputExists) {
        // Japanese runs its sentences together without a space.
        return context.fail(outcome.text + Localized(" Give --force to replace it."));
    }
    if (!outcome.done) {
        return context.fail(outcome.text);
    }
    context.say(outcome.text);
    return ExitDone;
}

} // namespace

CliCommand AddConvertCommand(CLI::App& app, CCliContext& context) {
    auto* convert = app.add_subcommand(
        "convert", "Convert a sound file to a 16-bit 44100 Hz WAV or AIFF file, to listen first");
    auto arguments = std::make_shared<ConvertArguments>();
    convert->add_option("IN", arguments->input)->required();
    convert->add_option("OUT", arguments->output)->required();
    arguments->conversion.addTo(*convert);
    convert->add_flag("--quiet,-q", arguments->quiet);
    convert->add_flag("--force,--yes,-y", arguments->replace, "Replace an existing OUT");
    return {convert, [&context, arguments] { return Convert(context, *arguments); }};
}

} // namespace ZQ3

#include "app/file_conversion.h"
#include "cli/commands.h"
#include "cli/conversion_arguments.h"

#include <CLI/CLI.hpp>

namespace ZQ3 {
namespace {

struct ConvertArguments {
    std::string input;
    std::string output;
    ConversionArguments conversion;
    bool quiet = false;
};

int Convert(CCliContext& context, const ConvertArguments& arguments) {
    context.setQuiet(arguments.quiet);
    const auto options = arguments.conversion.options(context);
    if (!options) {
        return ExitUsage;
    }
    const FileConversionOutcome outcome =
        ConvertSoundFile(arguments.input, arguments.output, *options);
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
    return {convert, [&context, arguments] { return Convert(context, *arguments); }};
}

} // namespace ZQ3

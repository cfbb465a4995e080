#include "app/message_catalogue.h"
#include "card/card_layout.h"
#include "cli/commands.h"
#include "cli/pad_command.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cstdio>
#include <optional>

namespace ZQ3 {
namespace {

struct ExportArguments {
    std::string card;
    std::string pad;
    std::string file;
    std::string format;
};

std::string Lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The file format from --format, else from the file's extension.
std::optional<int> ExportFormat(const ExportArguments& arguments) {
    if (arguments.format == "wav") {
        return CardLayout::FileFormatWave;
    }
    if (arguments.format == "aiff") {
        return CardLayout::FileFormatAiff;
    }
    const std::string name = Lowered(arguments.file);
    if (EndsWith(name, ".wav")) {
        return CardLayout::FileFormatWave;
    }
    if (EndsWith(name, ".aif") || EndsWith(name, ".aiff")) {
        return CardLayout::FileFormatAiff;
    }
    return std::nullopt;
}

int Export(CCliContext& context, const ExportArguments& arguments) {
    const auto format = ExportFormat(arguments);
    if (!format) {
        return UsageError("cannot tell the file format of '" + arguments.file +
                          "': name it .wav, .aif or .aiff, or give --format wav|aiff");
    }
    CPadCommand command(context);
    if (auto exitCode =
            command.prepare(arguments.card, arguments.pad, CPadCommand::CardUse::Change)) {
        return *exitCode;
    }
    if (!context.model().selectedPadHasSample()) {
        std::fprintf(stderr, "zq3 export: pad %s holds no sample\n", command.padName().c_str());
        return ExitFailed;
    }
    return ExitCodeOf(context.controller().exportPad(*format, AbsolutePath(arguments.file)));
}

} // namespace

CliCommand AddExportCommand(CLI::App& app, CCliContext& context) {
    auto* exportCommand =
        app.add_subcommand("export", "Write the sample of PAD of CARD to a WAV or AIFF FILE");
    auto arguments = std::make_shared<ExportArguments>();
    exportCommand->add_option("CARD", arguments->card, "Folder or mount point of the memory card")
        ->required();
    exportCommand->add_option("PAD", arguments->pad, "Pad to export, e.g. D5")->required();
    exportCommand
        ->add_option("FILE", arguments->file, "File to write; an existing file is replaced")
        ->required();
    exportCommand
        ->add_option("--format", arguments->format,
                     "File format; without it the extension decides (.wav, .aif, .aiff)")
        ->check(CLI::IsMember({"wav", "aiff"}));
    return {exportCommand, [&context, arguments] { return Export(context, *arguments); }};
}

} // namespace ZQ3

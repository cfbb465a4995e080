// zq3: the converter's engine for scripts and batch work.

#include "app/localized_text.h"
#include "app/message_catalogue.h"
#include "app/private_directory.h"
#include "cli/cli_context.h"
#include "cli/help_texts.h"
#include "cli/stderr_printer.h"
#include "sl/log/logger.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifndef ZQ3_VERSION
#define ZQ3_VERSION "0.0.0"
#endif

namespace {

using namespace ZQ3;

// The line as the user typed it, with --lang taken out wherever it stood: the language must be
// known before anything is said, usage errors included.
struct CommandLine {
    std::vector<std::string> arguments;
    std::optional<std::string> language;
    bool languageMissing = false;
};

CommandLine ReadCommandLine(int argc, char** argv) {
    CommandLine line;
    bool afterDashes = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!afterDashes && argument == "--lang") {
            if (i + 1 < argc) {
                line.language = argv[++i];
            } else {
                line.languageMissing = true;
            }
        } else if (!afterDashes && argument.rfind("--lang=", 0) == 0) {
            line.language = argument.substr(7);
        } else {
            afterDashes = afterDashes || argument == "--";
            line.arguments.push_back(argument);
        }
    }
    return line;
}

// The first word that is not an option: the command.
std::string CommandWord(const std::vector<std::string>& arguments, std::size_t from = 0) {
    for (std::size_t i = from; i < arguments.size(); ++i) {
        if (arguments[i] == "--") {
            break;
        }
        if (!arguments[i].empty() && arguments[i][0] != '-') {
            return arguments[i];
        }
    }
    return {};
}

bool Has(const std::vector<std::string>& arguments, std::initializer_list<const char*> options) {
    const auto end = std::find(arguments.begin(), arguments.end(), "--");
    return std::any_of(arguments.begin(), end, [&options](const std::string& argument) {
        return std::any_of(options.begin(), options.end(),
                           [&argument](const char* option) { return argument == option; });
    });
}

bool IsCommand(const std::string& word) {
    const auto& names = CommandNames();
    return std::find(names.begin(), names.end(), word) != names.end();
}

int NoSuchCommand(const std::string& word) {
    const std::string nearest = NearestCommand(word);
    std::string message = Localized("no such command: {0}.", {word});
    if (!nearest.empty()) {
        message += Localized(" Did you mean '{0}'?", {nearest});
    }
    return UsageError("", message);
}

int PrintHelp(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    return ExitDone;
}

// "zq3 help [COMMAND]".
int Help(const std::vector<std::string>& arguments) {
    const auto help = std::find(arguments.begin(), arguments.end(), "help");
    const std::string topic =
        CommandWord(arguments, static_cast<std::size_t>(help - arguments.begin()) + 1);
    if (topic.empty()) {
        return PrintHelp(OverviewHelp());
    }
    const auto text = CommandHelp(topic);
    return text ? PrintHelp(*text) : NoSuchCommand(topic);
}

// CLI11 words its errors in English; the tool says each kind in its own words, in the user's
// language, naming only what the user typed and the names of the command's arguments.
std::string ParseErrorText(const CLI::ParseError& error, const CLI::App* parser) {
    const std::string what = error.what();
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr ||
        dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        if (parser != nullptr) {
            for (const CLI::Option* option : parser->get_options()) {
                if (option->get_required() && option->count() == 0) {
                    return Localized("{0} is missing.", {option->get_name()});
                }
            }
        }
        return Localized("an argument is missing.");
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        std::string extras;
        for (const std::string& extra :
             parser != nullptr ? parser->remaining() : std::vector<std::string>{}) {
            extras += (extras.empty() ? "" : " ") + extra;
        }
        if (!extras.empty()) {
            return Localized("too many arguments: {0}.", {extras});
        }
        // After its English lead-in, the message lists the arguments the user gave.
        const std::size_t listed = what.find(": ");
        if (listed != std::string::npos) {
            return Localized("too many arguments: {0}.", {what.substr(listed + 2)});
        }
        return Localized("too many arguments.");
    }
    if (parser != nullptr && (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr ||
                              dynamic_cast<const CLI::ConversionError*>(&error) != nullptr)) {
        for (const CLI::Option* option : parser->get_options()) {
            const std::string name = option->get_name();
            if (option->count() > 0 && !option->results().empty() &&
                what.find(name) != std::string::npos) {
                return Localized("{0}: '{1}' is not a value it takes.",
                                 {name, option->results().back()});
            }
        }
    }
    return Localized("the arguments cannot be read.");
}

} // namespace

int main(int argc, char** argv) {
    const CommandLine line = ReadCommandLine(argc, argv);
    auto& catalogue = MessageCatalogue::Instance();
    const bool knownLanguage = !line.language || *line.language == "en" || *line.language == "ja";
    catalogue.fill(!line.language || !knownLanguage ? LanguageFromEnvironment()
                   : *line.language == "ja"         ? LanguageJapanese
                                                    : LanguageEnglish);
    if (line.languageMissing || !knownLanguage) {
        return UsageError("", Localized("--lang takes en or ja."));
    }

    const std::vector<std::string>& arguments = line.arguments;
    const std::string command = CommandWord(arguments);
    if (command.empty()) {
        if (Has(arguments, {"--version"})) {
            std::printf("zq3 %s\n", ZQ3_VERSION);
            return ExitDone;
        }
        if (Has(arguments, {"--help", "-h"})) {
            return PrintHelp(OverviewHelp());
        }
        return UsageError("", Localized("a COMMAND is required."));
    }
    if (!IsCommand(command)) {
        return NoSuchCommand(command);
    }
    if (command == "help") {
        return Help(arguments);
    }
    if (Has(arguments, {"--help", "-h"})) {
        return PrintHelp(*CommandHelp(command));
    }

    CLI::App app{"zq3", "zq3"};
    // The tool prints its own help, in the user's language.
    app.set_help_flag();
    app.require_subcommand(1, 1);
    CCliContext context;
    std::vector<CliCommand> commands;
    for (const auto registrar : CommandRegistrars()) {
        commands.push_back(registrar(app, context));
    }
    context.setCommand(command);
    SL::CLogger::Instance().SetPrinter(std::make_shared<CStderrPrinter>(ErrorPrefix(command)));

    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        const CLI::App* parser = nullptr;
        for (const auto& registered : commands) {
            if (registered.parser->get_name() == command) {
                parser = registered.parser;
            }
        }
        return UsageError(command, ParseErrorText(error, parser));
    }
    // What killed converters left in the temporary directory goes before this one adds to it.
    RemoveAbandonedWorkFolders();
    for (const auto& registered : commands) {
        if (registered.parser->parsed()) {
            return context.settleInterrupt(registered.run());
        }
    }
    return UsageError("", Localized("a COMMAND is required."));
}

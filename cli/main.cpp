// zq3: the converter's engine for scripts and batch work.

#include "app/message_catalogue.h"
#include "cli/cli_context.h"
#include "cli/stderr_printer.h"
#include "sl/log/logger.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifndef ZQ3_VERSION
#define ZQ3_VERSION "0.0.0"
#endif

int main(int argc, char** argv) {
    using namespace ZQ3;

    CLI::App app{"ZQ-314 Wave Converter: put WAV and AIFF files onto the pads of a ZQ-314 "
                 "memory card, take them off again and empty pads.\n"
                 "PAD is a bank letter C to J followed by a pad number 0 to 15, e.g. D5.",
                 "zq3"};
    app.set_version_flag("--version", "zq3 " ZQ3_VERSION);
    app.require_subcommand(0, 1);

    std::string language;
    app.add_option("--lang", language, "Language of the converter's messages")
        ->check(CLI::IsMember({"en", "ja"}));

    CCliContext context;
    std::vector<CliCommand> commands;
    for (const auto registrar : CommandRegistrars()) {
        commands.push_back(registrar(app, context));
    }

    auto* help = app.add_subcommand("help", "Show the help of COMMAND");
    std::string helpTopic;
    help->add_option("COMMAND", helpTopic, "Command to explain");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::printf("%s", app.help().c_str());
        return ExitDone;
    } catch (const CLI::CallForAllHelp&) {
        std::printf("%s", app.help("", CLI::AppFormatMode::All).c_str());
        return ExitDone;
    } catch (const CLI::CallForVersion&) {
        std::printf("zq3 %s\n", ZQ3_VERSION);
        return ExitDone;
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what());
    }

    auto& catalogue = MessageCatalogue::Instance();
    catalogue.fill(language.empty()   ? LanguageFromEnvironment()
                   : language == "ja" ? LanguageJapanese
                                      : LanguageEnglish);
    SL::CLogger::Instance().SetPrinter(std::make_shared<CStderrPrinter>());

    if (help->parsed()) {
        if (helpTopic.empty()) {
            std::printf("%s", app.help().c_str());
            return ExitDone;
        }
        for (const auto& command : commands) {
            if (command.parser->get_name() == helpTopic) {
                std::printf("%s", command.parser->help().c_str());
                return ExitDone;
            }
        }
        return UsageError("no such command: " + helpTopic);
    }
    for (const auto& command : commands) {
        if (command.parser->parsed()) {
            return command.run();
        }
    }
    return UsageError("a COMMAND is required");
}

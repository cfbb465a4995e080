#include "app/card_undo.h"
#include "app/localized_text.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/pad_command.h"

#include <CLI/CLI.hpp>

#include <ctime>
#include <iostream>

namespace ZQ3 {
namespace {

struct HistoryArguments {
    std::string card;
    bool asJson = false;
    bool quiet = false;
    bool noVerify = false;
};

// When an entry was made, in the computer's local time.
std::string LocalTime(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    ::localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void WriteState(CJsonWriter& json, const char* name, const CardFileState& state) {
    json.key(name);
    if (!state.present) {
        json.null();
        return;
    }
    char digest[24];
    std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(state.digest));
    json.beginObject();
    json.key("digest").value(std::string(digest));
    json.key("bytes").value(static_cast<std::int64_t>(state.bytes));
    json.endObject();
}

void PrintJson(const std::string& root, const std::vector<HistoryEntry>& entries) {
    CJsonWriter json(std::cout);
    json.beginObject();
    json.key("root").value(root);
    json.key("changes").beginArray();
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        json.beginObject();
        json.key("id").value(entry->id);
        json.key("time").value(entry->time);
        json.key("description").value(ChangeDescriptionText(entry->description));
        json.key("undone").value(entry->undone);
        json.key("files").beginArray();
        for (const ChangedFile& file : entry->files) {
            json.beginObject();
            json.key("name").value(file.name);
            WriteState(json, "before", file.before);
            WriteState(json, "after", file.after);
            json.endObject();
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.endObject();
    std::cout << "\n";
}

int History(CCliContext& context, const HistoryArguments& arguments) {
    if (!context.loadCard(arguments.card)) {
        return ExitFailed;
    }
    const std::string& root = context.model().cardRoot;
    const std::optional<CCardHistory> history = CCardHistory::ForCard(root);
    if (!history) {
        return context.fail(Localized("Changes of cards are not kept (ZQ3_HISTORY_LIMIT is 0), "
                                      "so none can be undone or redone."));
    }
    const std::vector<HistoryEntry> entries = history->entries();
    if (arguments.asJson) {
        PrintJson(root, entries);
        return ExitDone;
    }
    if (entries.empty()) {
        context.say(Localized("No changes of {0} are kept.", {root}));
        return ExitDone;
    }
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        const std::string line =
            LocalTime(entry->time) + "  " + ChangeDescriptionText(entry->description);
        context.say(entry->undone ? Localized("{0} (undone)", {line}) : line);
    }
    return ExitDone;
}

int Step(CCliContext& context, const HistoryArguments& arguments, HistoryDirection direction) {
    context.setQuiet(arguments.quiet);
    CPadCommand command(context);
    if (auto exitCode = command.prepareCard(arguments.card, CPadCommand::CardUse::Change)) {
        return *exitCode;
    }
    const std::optional<HistoryEntry> entry = context.controller().nextHistoryStep(direction);
    context.controller().setReadBack(!arguments.noVerify);
    const int exitCode = ExitCodeOf(context.controller().stepThroughHistory(direction));
    if (exitCode == ExitDone && entry) {
        const std::string change = ChangeDescriptionText(entry->description);
        context.say(direction == HistoryDirection::Undo ? Localized("Undone: {0}", {change})
                                                        : Localized("Redone: {0}", {change}));
    }
    return exitCode;
}

CliCommand AddStepCommand(CLI::App& app, CCliContext& context, const char* name,
                          const char* description, HistoryDirection direction) {
    auto* subcommand = app.add_subcommand(name, description);
    auto arguments = std::make_shared<HistoryArguments>();
    subcommand->add_option("CARD", arguments->card)->required();
    subcommand->add_flag("--quiet,-q", arguments->quiet);
    subcommand->add_flag("--no-verify", arguments->noVerify);
    return {subcommand,
            [&context, arguments, direction] { return Step(context, *arguments, direction); }};
}

} // namespace

CliCommand AddHistoryCommand(CLI::App& app, CCliContext& context) {
    auto* history = app.add_subcommand("history", "List the changes of CARD, newest first");
    auto arguments = std::make_shared<HistoryArguments>();
    history->add_option("CARD", arguments->card)->required();
    history->add_flag("--json", arguments->asJson);
    return {history, [&context, arguments] { return History(context, *arguments); }};
}

CliCommand AddUndoCommand(CLI::App& app, CCliContext& context) {
    return AddStepCommand(app, context, "undo", "Undo the last change of CARD",
                          HistoryDirection::Undo);
}

CliCommand AddRedoCommand(CLI::App& app, CCliContext& context) {
    return AddStepCommand(app, context, "redo", "Redo the change of CARD undone last",
                          HistoryDirection::Redo);
}

} // namespace ZQ3

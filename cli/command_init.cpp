#include "app/localized_text.h"
#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "cli/cli_context.h"
#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace ZQ3 {
namespace {

namespace fs = std::filesystem;

int Fail(const std::string& message) {
    std::fprintf(stderr, "%s%s\n", ErrorPrefix("init").c_str(), message.c_str());
    return ExitFailed;
}

// Makes the card directory and an information file of empty slots. Nothing that exists is
// ever overwritten: the file is written under a temporary name and linked into place, which
// fails if another file took the name meanwhile.
int InitialiseCard(const std::string& card) {
    const std::string root = CardRootFromArgument(card);
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        return Fail(Localized("{0}: there is no such folder.", "{0}: フォルダーが見つかりません。",
                              {root}));
    }
    const std::string directory = CardLayout::CardDirectory(root);
    const std::string information = CardLayout::InformationFilePath(root);
    if (fs::exists(fs::symlink_status(information, error))) {
        return Fail(Localized(
            "{0}: a sample-information file is already there; nothing was changed.",
            "{0}: サンプル情報ファイルが既にあります。何も変更していません。", {information}));
    }
    fs::create_directories(directory, error);
    if (error) {
        return Fail(Localized("{0}: the folder cannot be made ({1}).",
                              "{0}: フォルダーを作れません（{1}）。",
                              {directory, error.message()}));
    }
    const std::string temporary = directory + "___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___";
    // The file is created new, never written over: a leftover of an interrupted run goes first.
    ::unlink(temporary.c_str());
    if (!WriteSampleInformationFile(temporary, std::vector<SampleEntry>(CardLayout::SlotCount))) {
        ::unlink(temporary.c_str());
        return Fail(Localized("{0}: the file cannot be written.", "{0}: ファイルを書き込めません。",
                              {temporary}));
    }
    const bool linked = ::link(temporary.c_str(), information.c_str()) == 0;
    const int linkError = errno;
    ::unlink(temporary.c_str());
    if (!linked) {
        return Fail(Localized("{0}: the file cannot be made ({1}).",
                              "{0}: ファイルを作れません（{1}）。",
                              {information, std::strerror(linkError)}));
    }
    std::printf("%s\n", information.c_str());
    return ExitDone;
}

} // namespace

CliCommand AddInitCommand(CLI::App& app, CCliContext&) {
    auto* init = app.add_subcommand(
        "init", "Make CARD/KELDRA/ZQ314/ and an information file of 128 empty slots");
    auto card = std::make_shared<std::string>();
    init->add_option("CARD", *card, "Existing folder or mount point to prepare as a card")
        ->required();
    return {init, [card] { return InitialiseCard(*card); }};
}

} // namespace ZQ3

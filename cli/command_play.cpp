#include "app/localized_text.h"
#include "app/player.h"
#include "card/path_names.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/pad_command.h"
#include "cli/pad_name.h"
#include "cli/sample_description.h"
#include "sl/files/wave_file_loader.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace ZQ3 {
namespace {

struct PlayArguments {
    // Either CARD and PAD, or one wave FILE.
    std::vector<std::string> targets;
    double ringBufferTime = CPlayer::DefaultRingBufferTime;
    double deviceBufferTime = CPlayer::DefaultDeviceBufferTime;
};

// How often the tool looks whether playback has ended, as the main view's blink timer does.
constexpr auto PollInterval = std::chrono::milliseconds(10);

// "0:03.2": minutes and seconds to the tenth.
std::string ClockText(double seconds) {
    const auto tenths = static_cast<long long>(seconds * 10 + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", tenths / 600, tenths / 10 % 60,
                  tenths % 10);
    return text;
}

// Plays until the end has been heard; Ctrl-C stops at once. On a terminal one line shows the
// time played and the whole length ("0:03.2 / 0:30.0"), redrawn as it goes.
int WaitForTheEnd(const CCliContext& context, CPlayer& player, double totalSeconds) {
    const auto& device = player.getAudioOutDevice();
    if (!device || !device->isPlaying()) {
        // The player has reported why.
        return ExitFailed;
    }
    std::FILE* clock = ::isatty(STDERR_FILENO) != 0 ? stderr : nullptr;
    const auto started = std::chrono::steady_clock::now();
    std::string shown;
    int exitCode = ExitDone;
    while (device->isPlaying()) {
        if (InterruptRequested()) {
            player.stop();
            exitCode = ExitCancelled;
            break;
        }
        if (clock != nullptr) {
            const std::chrono::duration<double> elapsed =
                std::chrono::steady_clock::now() - started;
            const std::string line = ClockText(std::min(elapsed.count(), totalSeconds)) + " / " +
                                     ClockText(totalSeconds);
            if (line != shown) {
                shown = line;
                std::fprintf(clock, "\r\033[K%s", line.c_str());
                std::fflush(clock);
            }
        }
        std::this_thread::sleep_for(PollInterval);
    }
    if (clock != nullptr && !shown.empty()) {
        std::fputs("\r\033[K", clock);
        std::fflush(clock);
    }
    if (exitCode == ExitCancelled) {
        context.note(Localized("Playback stopped."));
    }
    return exitCode;
}

// "Playing D5 (30.0 s), Ctrl-C stops", for a person at a terminal; a script hears nothing.
void AnnouncePlaying(const std::string& what, double seconds) {
    if (::isatty(STDERR_FILENO) == 0) {
        return;
    }
    char length[32];
    std::snprintf(length, sizeof length, "%.1f", seconds);
    std::fprintf(stderr, "%s\n",
                 Localized("Playing {0} ({1} s), Ctrl-C stops", {what, length}).c_str());
    std::fflush(stderr);
}

int PlayPad(CCliContext& context, const PlayArguments& arguments) {
    CPadCommand command(context);
    if (auto exitCode = command.prepare(arguments.targets[0], arguments.targets[1],
                                        CPadCommand::CardUse::Audition)) {
        return *exitCode;
    }
    const CModel& model = context.model();
    if (const CommandState& play = context.view().commands().playPad; !play) {
        return context.fail(play.reason);
    }
    const double seconds = model.playedSeconds(model.selectedPad);
    AnnouncePlaying(command.padName(), seconds);
    // The same request a press on the pad makes.
    auto player =
        context.domain().createPlayer(arguments.ringBufferTime, arguments.deviceBufferTime);
    player->playPad(model, model.selectedPad);
    const int exitCode = WaitForTheEnd(context, *player, seconds);
    context.domain().player.reset();
    return exitCode;
}

int PlayFile(CCliContext& context, const PlayArguments& arguments) {
    InstallInterruptHandler();
    const std::string path = AbsolutePath(arguments.targets[0]);
    double seconds = 0;
    if (const SL::CLoadedWave loaded = SL::LoadWaveFile(path);
        loaded && loaded.wave->GetSampleRate() > 0) {
        seconds = static_cast<double>(loaded.wave->GetLength()) / loaded.wave->GetSampleRate();
        AnnouncePlaying(PathNames::LastPart(path), seconds);
    }
    auto player =
        context.domain().createPlayer(arguments.ringBufferTime, arguments.deviceBufferTime);
    player->playFile(path);
    return WaitForTheEnd(context, *player, seconds);
}

} // namespace

CliCommand AddPlayCommand(CLI::App& app, CCliContext& context) {
    auto* play = app.add_subcommand("play", "Play a pad or a file");
    auto arguments = std::make_shared<PlayArguments>();
    play->add_option("TARGET", arguments->targets)->required()->expected(1, 2);
    play->add_option("--ring-buffer-time", arguments->ringBufferTime,
                     "Seconds read ahead of the sound card")
        ->check(CLI::Range(0.01, 10.0))
        ->capture_default_str();
    play->add_option("--device-buffer-time", arguments->deviceBufferTime,
                     "Seconds of one sound-card buffer")
        ->check(CLI::Range(0.005, 2.0))
        ->capture_default_str();
    return {play, [&context, arguments] {
                return arguments->targets.size() == 2 ? PlayPad(context, *arguments)
                                                      : PlayFile(context, *arguments);
            }};
}

} // namespace ZQ3

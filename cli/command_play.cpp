#include "app/player.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/pad_command.h"
#include "cli/pad_name.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <thread>

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

// Plays until the end has been heard; Ctrl-C stops at once.
int WaitForTheEnd(CPlayer& player) {
    const auto& device = player.getAudioOutDevice();
    if (!device || !device->isPlaying()) {
        // The player has reported why.
        return ExitFailed;
    }
    while (device->isPlaying()) {
        if (InterruptRequested()) {
            player.stop();
            return ExitCancelled;
        }
        std::this_thread::sleep_for(PollInterval);
    }
    return ExitDone;
}

int PlayPad(CCliContext& context, const PlayArguments& arguments) {
    CPadCommand command(context);
    if (auto exitCode = command.prepare(arguments.targets[0], arguments.targets[1],
                                        CPadCommand::CardUse::Audition)) {
        return *exitCode;
    }
    const CModel& model = context.model();
    if (!model.selectedPadHasSample()) {
        std::fprintf(stderr, "zq3 play: pad %s holds no sample\n", command.padName().c_str());
        return ExitFailed;
    }
    // The same request a press on the pad makes.
    auto player =
        context.domain().createPlayer(arguments.ringBufferTime, arguments.deviceBufferTime);
    player->playPad(model, model.selectedPad);
    const int exitCode = WaitForTheEnd(*player);
    context.domain().player.reset();
    return exitCode;
}

int PlayFile(CCliContext& context, const PlayArguments& arguments) {
    InstallInterruptHandler();
    auto player =
        context.domain().createPlayer(arguments.ringBufferTime, arguments.deviceBufferTime);
    player->playFile(AbsolutePath(arguments.targets[0]));
    return WaitForTheEnd(*player);
}

} // namespace

CliCommand AddPlayCommand(CLI::App& app, CCliContext& context) {
    auto* play = app.add_subcommand(
        "play", "Play the sample of PAD of CARD, or a WAV or AIFF FILE, to the end");
    play->footer("Give CARD PAD or FILE. The output is chosen by ZQ3_AUDIO_OUT: alsa (the "
                 "default), alsa:DEVICE, null, or wav:PATH to capture what is played.");
    auto arguments = std::make_shared<PlayArguments>();
    play->add_option("TARGET", arguments->targets, "CARD PAD, or FILE")->required()->expected(1, 2);
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

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/pad_name.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

namespace ZQ3 {
namespace {

constexpr double CardSampleRate = 44100.0;

void PrintPlain(const CModel& model) {
    int occupied = 0;
    for (int bank = 0; bank < CardLayout::BankCount; ++bank) {
        for (int pad = 0; pad < CardLayout::PadsPerBank; ++pad) {
            const SampleEntry& entry =
                model.entries[static_cast<std::size_t>(CardLayout::Slot(bank, pad))];
            if (entry.isEmpty()) {
                continue;
            }
            ++occupied;
            // A lo-fi sample plays twice as many frames as its files hold.
            const double frames = static_cast<std::uint32_t>(entry.frameCount);
            const double seconds = (entry.isLofi() ? 2 * frames : frames) / CardSampleRate;
            std::printf("%-3s %10u frames %9.3f s  %-6s %-6s %6.1f BPM\n",
                        PadName(bank, pad).c_str(), static_cast<std::uint32_t>(entry.frameCount),
                        seconds, entry.stereo ? "stereo" : "mono",
                        entry.isLofi() ? "lo-fi" : "normal", entry.tempo / 10.0);
        }
    }
    std::printf("%d of %d pads hold a sample\n", occupied, CardLayout::SlotCount);
}

void PrintJson(const CModel& model) {
    CJsonWriter json(std::cout);
    json.beginObject();
    json.key("root").value(model.cardRoot);
    json.key("slots").beginArray();
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        const SampleEntry& entry = model.entries[static_cast<std::size_t>(slot)];
        const int bank = slot / CardLayout::PadsPerBank;
        json.beginObject();
        json.key("slot").value(slot);
        json.key("bank").value(std::string(1, CardLayout::BankLetter(bank)));
        json.key("pad").value(slot % CardLayout::PadsPerBank);
        json.key("hasSample").value(!entry.isEmpty());
        json.key("rangeBegin").value(static_cast<std::uint32_t>(entry.rangeBegin));
        json.key("rangeEnd").value(static_cast<std::uint32_t>(entry.rangeEnd));
        json.key("frameCount").value(static_cast<std::uint32_t>(entry.frameCount));
        json.key("lofi").value(entry.lofi);
        json.key("stereo").value(entry.stereo);
        json.key("option14").value(entry.option14);
        json.key("flag15").value(entry.flag15);
        json.key("flag16").value(entry.flag16);
        json.key("option17").value(entry.option17);
        json.key("tempo").value(entry.tempo);
        json.key("option20").value(entry.option20);
        json.key("tempo2").value(entry.tempo2);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    std::cout << '\n';
}

} // namespace

CliCommand AddInfoCommand(CLI::App& app, CCliContext& context) {
    auto* info = app.add_subcommand("info", "Load CARD as the converter does and list its pads");
    auto card = std::make_shared<std::string>();
    auto asJson = std::make_shared<bool>(false);
    info->add_option("CARD", *card, "Folder or mount point of the memory card")->required();
    info->add_flag("--json", *asJson, "Print all 128 slots as one JSON object");
    return {info, [&context, card, asJson] {
                if (!context.loadCard(*card)) {
                    return int(ExitFailed);
                }
                if (*asJson) {
                    PrintJson(context.model());
                } else {
                    PrintPlain(context.model());
                }
                return int(ExitDone);
            }};
}

} // namespace ZQ3

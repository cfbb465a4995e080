#include "app/card_space.h"
#include "app/localized_text.h"
#include "app/quantity_text.h"
#include "card/card_layout.h"
#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/sample_description.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cstdio>
#include <iostream>

namespace ZQ3 {
namespace {

constexpr int BanksPerRow = 4;
constexpr int PadsPerRow = 4;

// Columns a text takes on a terminal: the kana and kanji of the Japanese texts (three-byte
// sequences from U+3000 on) take two, everything else one.
std::size_t DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length == 3 && lead >= 0xE3 ? 2 : 1;
        i += length;
    }
    return width;
}

// text followed by spaces up to width columns, and at least one.
std::string Padded(const std::string& text, std::size_t width) {
    const std::size_t used = DisplayWidth(text);
    return text + std::string(used < width ? width - used : 1, ' ');
}

std::string WithoutTrailingSpaces(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const SampleEntry& EntryAt(const CModel& model, int slot) {
    return model.entries[static_cast<std::size_t>(slot)];
}

// The mark of a pad in a bank's grid.
const char* Mark(const SampleEntry& entry) {
    if (entry.isEmpty()) {
        return "·";
    }
    if (entry.isLofi()) {
        return "L";
    }
    return entry.stereo ? "S" : "M";
}

void PrintHeader(const CModel& model, const CardSpace& space) {
    if (!space.freeBytes) {
        std::printf("%s\n", Localized("Card {0}: free space unknown", {model.cardRoot}).c_str());
        return;
    }
    std::printf(
        "%s\n",
        Localized("Card {0}: {1} free, {2} of mono or {3} of stereo left at 44.1 kHz",
                  {model.cardRoot, SizeText(*space.freeBytes), DurationText(space.secondsLeftMono),
                   DurationText(space.secondsLeftStereo)})
            .c_str());
}

// The banks as the sampler lays out its pads: pad 0 bottom left, pad 15 top right.
void PrintGrids(const CModel& model, int firstBank, int bankCount) {
    const std::string gap = "    ";
    for (int rowStart = firstBank; rowStart < firstBank + bankCount; rowStart += BanksPerRow) {
        const int rowEnd = std::min(rowStart + BanksPerRow, firstBank + bankCount);
        std::string line;
        for (int bank = rowStart; bank < rowEnd; ++bank) {
            line += Padded(Localized("Bank {0}", {std::string(1, CardLayout::BankLetter(bank))}),
                           4 * PadsPerRow) +
                    gap;
        }
        std::printf("\n%s\n", WithoutTrailingSpaces(line).c_str());
        for (int padRow = CardLayout::PadsPerBank / PadsPerRow - 1; padRow >= 0; --padRow) {
            line.clear();
            for (int bank = rowStart; bank < rowEnd; ++bank) {
                for (int column = 0; column < PadsPerRow; ++column) {
                    const int pad = padRow * PadsPerRow + column;
                    char cell[16];
                    std::snprintf(cell, sizeof cell, "%3d%s", pad,
                                  Mark(EntryAt(model, CardLayout::Slot(bank, pad))));
                    line += cell;
                }
                line += gap;
            }
            std::printf("%s\n", WithoutTrailingSpaces(line).c_str());
        }
    }
    std::printf("\n%s\n", Localized("M mono   S stereo   L lo-fi   · empty").c_str());
}

void PrintPads(const CModel& model, int firstBank, int bankCount) {
    const std::vector<std::string> headings = {Localized("Pad"), Localized("Seconds"),
                                               Localized("Channels"), Localized("Lo-fi"),
                                               Localized("Tempo (BPM)")};
    const std::size_t widths[] = {8, 10, 12, 12, 0};
    std::string line;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        line += Padded(headings[i], widths[i]);
    }
    bool headed = false;
    int occupied = 0;
    for (int slot = CardLayout::Slot(firstBank, 0);
         slot < CardLayout::Slot(firstBank + bankCount, 0); ++slot) {
        const SampleEntry& entry = EntryAt(model, slot);
        if (entry.isEmpty()) {
            continue;
        }
        if (!headed) {
            std::printf("\n%s\n", WithoutTrailingSpaces(line).c_str());
            headed = true;
        }
        ++occupied;
        const std::vector<std::string> cells = {
            CardLayout::PadName(slot), Fixed(entry.playedSeconds(), 3),
            entry.stereo ? Localized("stereo") : Localized("mono"),
            entry.isLofi() ? Localized("yes") : Localized("no"), Fixed(entry.tempo / 10.0, 1)};
        std::string row;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            row += Padded(cells[i], widths[i]);
        }
        std::printf("%s\n", WithoutTrailingSpaces(row).c_str());
    }
    const int pads = bankCount * CardLayout::PadsPerBank;
    const std::string counted = occupied == 1
                                    ? Localized("{0} of {1} pads holds a sample",
                                                {std::to_string(occupied), std::to_string(pads)})
                                    : Localized("{0} of {1} pads hold a sample",
                                                {std::to_string(occupied), std::to_string(pads)});
    std::printf("\n%s\n", counted.c_str());
}

void PrintJson(const CModel& model, const CardSpace& space) {
    CJsonWriter json(std::cout);
    json.beginObject();
    json.key("root").value(model.cardRoot);
    // A file system that does not tell its free space gives null for it and the times.
    if (space.freeBytes) {
        json.key("freeBytes").value(static_cast<std::int64_t>(*space.freeBytes));
        json.key("secondsLeftMono").value(space.secondsLeftMono);
        json.key("secondsLeftStereo").value(space.secondsLeftStereo);
    } else {
        json.key("freeBytes").null();
        json.key("secondsLeftMono").null();
        json.key("secondsLeftStereo").null();
    }
    json.key("slots").beginArray();
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        const SampleEntry& entry = EntryAt(model, slot);
        const int bank = slot / CardLayout::PadsPerBank;
        const auto stored = static_cast<std::uint32_t>(entry.frameCount);
        json.beginObject();
        json.key("slot").value(slot);
        json.key("bank").value(std::string(1, CardLayout::BankLetter(bank)));
        json.key("pad").value(slot % CardLayout::PadsPerBank);
        json.key("hasSample").value(!entry.isEmpty());
        json.key("rangeBegin").value(static_cast<std::uint32_t>(entry.rangeBegin));
        json.key("rangeEnd").value(static_cast<std::uint32_t>(entry.rangeEnd));
        json.key("frameCount").value(stored);
        json.key("lofi").value(entry.lofi);
        json.key("stereo").value(entry.stereo);
        json.key("option14").value(entry.option14);
        json.key("flag15").value(entry.flag15);
        json.key("flag16").value(entry.flag16);
        json.key("option17").value(entry.option17);
        json.key("tempo").value(entry.tempo);
        json.key("option20").value(entry.option20);
        json.key("tempo2").value(entry.tempo2);
        // A lo-fi sample plays twice the frames its files hold.
        json.key("playedFrames").value(entry.playedFrames());
        json.key("seconds").value(entry.playedSeconds());
        json.key("bpm").value(entry.tempo / 10.0);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    std::cout << '\n';
}

struct InfoArguments {
    std::string card;
    std::string bank;
    bool asJson = false;
};

int Info(CCliContext& context, const InfoArguments& arguments) {
    int firstBank = 0;
    int bankCount = CardLayout::BankCount;
    if (!arguments.bank.empty()) {
        firstBank = arguments.bank.size() == 1
                        ? std::toupper(static_cast<unsigned char>(arguments.bank[0])) - 'C'
                        : -1;
        if (!CardLayout::IsValidBank(firstBank)) {
            return UsageError(
                context.command(),
                Localized("BANK must be a letter C to J, not '{0}'.", {arguments.bank}));
        }
        bankCount = 1;
    }
    if (!context.loadCard(arguments.card)) {
        return ExitFailed;
    }
    const CardSpace space = MeasureCardSpace(context.model().cardRoot);
    if (arguments.asJson) {
        PrintJson(context.model(), space);
        return ExitDone;
    }
    PrintHeader(context.model(), space);
    PrintGrids(context.model(), firstBank, bankCount);
    PrintPads(context.model(), firstBank, bankCount);
    return ExitDone;
}

} // namespace

CliCommand AddInfoCommand(CLI::App& app, CCliContext& context) {
    auto* info = app.add_subcommand("info", "Show what CARD holds");
    auto arguments = std::make_shared<InfoArguments>();
    info->add_option("CARD", arguments->card)->required();
    info->add_option("BANK", arguments->bank);
    info->add_flag("--json", arguments->asJson);
    return {info, [&context, arguments] { return Info(context, *arguments); }};
}

} // namespace ZQ3

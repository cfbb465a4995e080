#pragma once

#include "card/card_layout.h"
#include "card/sample_entry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ZQ3 {

// What the converter shows: which card, which bank, which pad, and what the card holds.
// Commands that change the card build a new model and install it whole, so a command that
// fails half-way leaves the installed one untouched.
class CModel {
public:
    std::vector<SampleEntry> entries = std::vector<SampleEntry>(CardLayout::SlotCount);
    // Empty when no card is selected.
    std::string cardRoot;
    // 0 to 7; -1 when no card is loaded.
    std::int32_t bank = -1;
    // 0 to 15 within the bank; -1 when none is selected.
    std::int32_t selectedPad = -1;
    // Whether the card is mounted read-only, as one whose write-protect switch is on is: learnt
    // when the card is loaded and before every command on it.
    bool readOnly = false;

    bool hasCard() const { return bank >= 0; }

    // The entry of pad in the current bank; the model must have a card.
    const SampleEntry& entryOf(int pad) const {
        return entries[static_cast<std::size_t>(CardLayout::Slot(bank, pad))];
    }
    SampleEntry& entryOf(int pad) {
        return entries[static_cast<std::size_t>(CardLayout::Slot(bank, pad))];
    }

    bool hasSample(int pad) const {
        return hasCard() && CardLayout::IsValidPad(pad) && !entryOf(pad).isEmpty();
    }

    bool selectedPadHasSample() const { return hasSample(selectedPad); }

    std::string leftFilePath(int pad) const {
        return CardLayout::LeftFilePath(cardRoot, CardLayout::Slot(bank, pad));
    }
    std::string rightFilePath(int pad) const {
        return CardLayout::RightFilePath(cardRoot, CardLayout::Slot(bank, pad));
    }

    // The card files of pad's sample: the left one, and the right one too for a stereo sample.
    std::vector<std::string> channelFilePaths(int pad) const {
        std::vector<std::string> paths{leftFilePath(pad)};
        if (entryOf(pad).stereo) {
            paths.push_back(rightFilePath(pad));
        }
        return paths;
    }
    // Frames per channel that pad plays and exports: a lo-fi sample stores half of them.
    std::int64_t playedLength(int pad) const { return entryOf(pad).playedFrames(); }
    double playedSeconds(int pad) const { return entryOf(pad).playedSeconds(); }

    // Size estimate of a 16-bit export of pad; 0 without a card or for an empty pad.
    std::uint64_t diskBytesNeeded(int pad, int fileFormat) const {
        if (!hasSample(pad)) {
            return 0;
        }
        return CardLayout::DiskBytesNeeded(entryOf(pad), fileFormat);
    }
};

} // namespace ZQ3

#pragma once

#include "card/card_layout.h"
#include "cli/cli_context.h"
#include "cli/pad_name.h"

#include <optional>
#include <string>

namespace ZQ3 {

// What the commands that act on one pad share: the pad named on the command line, the card
// loaded and that pad selected, and the question asked before a sample is replaced or removed.
class CPadCommand {
public:
    explicit CPadCommand(CCliContext& context) : context_(context) {}

    enum class CardUse {
        // Only reads the pad while it plays.
        Audition,
        // Changes the card, or reads it as a whole: the card's lock is held for the whole run.
        Change,
    };

    // Parses pad, loads card and selects the pad. Answers the exit code to end with, or nothing
    // when the command can go on.
    std::optional<int> prepare(const std::string& card, const std::string& pad, CardUse use);
    // The same for a command on several pads: loads card showing bank, under its lock for a
    // change.
    std::optional<int> prepareCard(const std::string& card, CardUse use, int bank = 0);

    // Asks question (OK/Cancel); --yes answers OK. Answers the exit code to end with when the
    // user declined or cancelled, or when there was no terminal on standard input to ask on
    // (saying so, and naming --yes); nothing when the command can go on.
    std::optional<int> confirm(const std::string& question, bool assumeYes);

    const PadAddress& pad() const { return pad_; }
    std::string padName() const { return CardLayout::PadName(pad_.slot()); }

private:
    CCliContext& context_;
    PadAddress pad_{0, 0};
};

} // namespace ZQ3

#pragma once

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

    // Asks message id as an OK/Cancel question; true only for OK. --yes answers OK; without a
    // terminal on standard input the answer is Cancel.
    bool confirm(int id, bool assumeYes);

    const PadAddress& pad() const { return pad_; }
    std::string padName() const { return PadName(pad_.bank, pad_.pad); }

private:
    CCliContext& context_;
    PadAddress pad_{0, 0};
};

} // namespace ZQ3

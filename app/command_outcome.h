#pragma once

#include <string>

namespace ZQ3 {

// How a command that changes files ended. A failure has been reported to the user already; a
// cancel is the user's own choice and is not reported.
enum class CommandOutcome {
    Succeeded,
    // Nothing was changed.
    Failed,
    Cancelled,
    // The change was committed to the card but could not be finished now; it is settled the next
    // time the card is opened, as the message reported says. Never "as it was".
    Unsettled,
};

// How one step of a command (encoding, decoding, copying) ended; the command decides what to
// report.
enum class StepResult { Done, Cancelled, Failed };

// Reports message id with its detail (empty for none) and answers the failed outcome: the one
// way a command ends on a failure.
CommandOutcome ReportedFailure(int id, const std::string& detail = std::string());

// How a command ends on a card transaction's commit that did not finish the change (Pending or
// Undecided): the change is reported as recorded, or as undecided, with detail saying what
// stopped it, and the outcome is Unsettled.
CommandOutcome ReportedUnsettled(bool recorded, const std::string& detail);

} // namespace ZQ3

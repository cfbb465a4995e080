#pragma once

#include <string>

namespace ZQ3 {

// How a command that changes files ended. A failure has been reported to the user already; a
// cancel is the user's own choice and is not reported.
enum class CommandOutcome {
    Succeeded,
    Failed,
    Cancelled,
};

// How one step of a command (encoding, decoding, copying) ended; the command decides what to
// report.
enum class StepResult { Done, Cancelled, Failed };

// Reports message id with its detail (empty for none) and answers the failed outcome: the one
// way a command ends on a failure.
CommandOutcome ReportedFailure(int id, const std::string& detail = std::string());

} // namespace ZQ3

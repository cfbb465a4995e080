#pragma once

namespace ZQ3 {

// How a command that changes files ended. A failure has been reported to the user already; a
// cancel is the user's own choice and is not reported.
enum class CommandOutcome {
    Succeeded,
    Failed,
    Cancelled,
};

} // namespace ZQ3

#include "app/command_outcome.h"

#include "app/report.h"

namespace ZQ3 {

CommandOutcome ReportedFailure(int id, const std::string& detail) {
    ReportMessage(id, detail);
    return CommandOutcome::Failed;
}

} // namespace ZQ3

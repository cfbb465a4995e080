#include "app/command_outcome.h"

#include "app/message_catalogue.h"
#include "app/report.h"

namespace ZQ3 {

CommandOutcome ReportedFailure(int id, const std::string& detail) {
    ReportMessage(id, detail);
    return CommandOutcome::Failed;
}

CommandOutcome ReportedUnsettled(bool recorded, const std::string& detail) {
    ReportMessage(recorded ? MessageChangeRecorded : MessageChangeUndecided, detail);
    return CommandOutcome::Unsettled;
}

} // namespace ZQ3

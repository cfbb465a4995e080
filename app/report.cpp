#include "app/report.h"

#include "app/message_catalogue.h"
#include "sl/log/logger.h"

namespace ZQ3 {

void ReportMessage(int id) {
    auto& log = SL::CLogger::Instance().Stream();
    log << MessageCatalogue::Instance().text(id) << '\n';
    log.flush();
}

} // namespace ZQ3

#include "app/report.h"

#include "app/message_catalogue.h"
#include "sl/log/logger.h"

namespace ZQ3 {

void ReportMessage(int id) {
    ReportMessage(id, std::string());
}

void ReportMessage(int id, const std::string& detail) {
    SL::CLogger::Instance().Report(MessageCatalogue::Instance().text(id), detail);
}

} // namespace ZQ3

#include "sl/log/logger.h"

namespace SL {

CLogger& CLogger::Instance() {
    static CLogger logger;
    return logger;
}

CLogger::CLogger() : buffer_(std::make_shared<CNullPrinter>()), stream_(&buffer_) {}

void CLogger::SetPrinter(std::shared_ptr<CGeneralStringBuffer::IPrinter> printer) {
    stream_.flush();
    buffer_.SetPrinter(printer ? std::move(printer) : std::make_shared<CNullPrinter>());
}

void CLogger::Report(const std::string& message, const std::string& detail) {
    stream_.flush();
    buffer_.GetPrinter()->PrintReport(message, detail);
}

void CLogger::ResetPrinter() {
    SetPrinter(nullptr);
}

} // namespace SL

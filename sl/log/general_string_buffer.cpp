#include "sl/log/general_string_buffer.h"

namespace SL {

CGeneralStringBuffer::CGeneralStringBuffer(std::shared_ptr<IPrinter> printer)
    : printer_(std::move(printer)) {}

void CGeneralStringBuffer::SetPrinter(std::shared_ptr<IPrinter> printer) {
    printer_ = std::move(printer);
}

int CGeneralStringBuffer::sync() {
    std::string text = str();
    // Empty the buffer before printing: a printer that writes to the log again must not see
    // its own text a second time.
    str(std::string());
    if (!text.empty() && printer_) {
        printer_->Print(text);
    }
    return 0;
}

} // namespace SL

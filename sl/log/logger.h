#pragma once

#include "sl/log/general_string_buffer.h"

#include <memory>
#include <ostream>

namespace SL {

// The sound library's log. It keeps no file: the stream only routes reports to whatever the
// front end installed as printer (a message box, standard error), and to nowhere before that.
class CLogger {
public:
    class CNullPrinter : public CGeneralStringBuffer::IPrinter {
    public:
        void Print(const std::string&) override {}
    };

    static CLogger& Instance();

    std::ostream& Stream() { return stream_; }
    // Hands one report to the printer whole, after whatever the stream still holds, so that a
    // printer can show the detail apart from the message; detail may be empty.
    void Report(const std::string& message, const std::string& detail);
    void SetPrinter(std::shared_ptr<CGeneralStringBuffer::IPrinter> printer);
    // The printer installed now, so that a front end can hold reports back for a moment and
    // put it back.
    std::shared_ptr<CGeneralStringBuffer::IPrinter> Printer() const { return buffer_.GetPrinter(); }
    // Puts the null printer back.
    void ResetPrinter();

private:
    CLogger();

    CGeneralStringBuffer buffer_;
    std::ostream stream_;
};

} // namespace SL

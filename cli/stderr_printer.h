#pragma once

#include "sl/log/general_string_buffer.h"

#include <cstdio>

namespace ZQ3 {

// Shows each report of the converter on standard error, where a message box would appear in
// the desktop program. A report's detail, the reason behind the message, goes on the line after
// it, as the printer's default puts it.
class CStderrPrinter : public SL::CGeneralStringBuffer::IPrinter {
public:
    void Print(const std::string& text) override {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
};

} // namespace ZQ3

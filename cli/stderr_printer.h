#pragma once

#include "sl/log/general_string_buffer.h"

#include <cstdio>
#include <string>

namespace ZQ3 {

// Shows each report of the converter on standard error, where a message box would appear in
// the desktop program. A report's detail, the reason behind the message, goes on the line after
// it, as the printer's default puts it.
class CStderrPrinter : public SL::CGeneralStringBuffer::IPrinter {
public:
    // prefix begins every report, "zq3: import: ", so that a script's log tells which tool
    // and command spoke.
    explicit CStderrPrinter(std::string prefix = {}) : prefix_(std::move(prefix)) {}

    void Print(const std::string& text) override {
        std::fwrite(prefix_.data(), 1, prefix_.size(), stderr);
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }

private:
    std::string prefix_;
};

} // namespace ZQ3

#pragma once

#include "sl/log/general_string_buffer.h"
#include "ul/text_dialog.h"

#include <memory>
#include <string>

namespace UL {

// Questions and error texts in the platform's message box, owned by the program's window.
class CTextDialog : public ITextDialog {
public:
    // The box's caption: the program's title, in either language.
    static constexpr const char* Caption = "ZQ-314 Wave Converter";

    int ask(int buttons, int icon, const std::string& text) override;
    // The same with the reason behind text as the box's informative text; an empty detail
    // shows text alone.
    int askWithDetail(int buttons, int icon, const std::string& text,
                      const std::string& detail) override;
};

} // namespace UL

namespace ZQ3::Desktop {

// Shows every report of the converter in a warning box: the catalogue message as the box's text
// and the reason from the core, when there is one, as its informative text.
class CMessageBoxPrinter : public SL::CGeneralStringBuffer::IPrinter {
public:
    explicit CMessageBoxPrinter(std::shared_ptr<UL::ITextDialog> dialog)
        : dialog_(std::move(dialog)) {}

    void Print(const std::string& text) override;
    void PrintReport(const std::string& message, const std::string& detail) override;

private:
    std::shared_ptr<UL::ITextDialog> dialog_;
};

} // namespace ZQ3::Desktop

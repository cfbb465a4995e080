#include "ul/text_dialog.h"

#include <cstdarg>
#include <cstdio>

namespace UL {
namespace {

std::string FormatText(const char* format, va_list arguments) {
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace

int ITextDialog::askFormatted(int buttons, int icon, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = FormatText(format, arguments);
    va_end(arguments);
    return ask(buttons, icon, text);
}

} // namespace UL

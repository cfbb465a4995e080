#include "app/shown_name.h"

#include <cstdint>
#include <cstdio>

namespace ZQ3 {
namespace {

bool IsControl(std::uint32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

bool NeedsQuoting(const std::string& name) {
    for (std::size_t at = 0; at < name.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t length = Utf8SequenceLength(name, at, codePoint);
        if (length == 0 || IsControl(codePoint)) {
            return true;
        }
        at += length;
    }
    return false;
}

std::string Escape(const char* format, unsigned value) {
    char code[8];
    std::snprintf(code, sizeof code, format, value);
    return code;
}

std::string ControlEscape(std::uint32_t codePoint) {
    switch (codePoint) {
    case '\a':
        return "\\a";
    case '\b':
        return "\\b";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\v':
        return "\\v";
    case '\f':
        return "\\f";
    case '\r':
        return "\\r";
    case 0x1B:
        return "\\e";
    default:
        return codePoint < 0x80 ? Escape("\\x%02X", codePoint) : Escape("\\u%04X", codePoint);
    }
}

} // namespace

std::size_t Utf8SequenceLength(const std::string& text, std::size_t at, std::uint32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

std::string ShownName(const std::string& name) {
    if (!NeedsQuoting(name)) {
        return name;
    }
    std::string shown = "$'";
    for (std::size_t at = 0; at < name.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t length = Utf8SequenceLength(name, at, codePoint);
        if (length == 0) {
            shown += Escape("\\x%02X", static_cast<unsigned char>(name[at]));
            ++at;
            continue;
        }
        if (IsControl(codePoint)) {
            shown += ControlEscape(codePoint);
        } else if (name[at] == '\\' || name[at] == '\'') {
            shown += '\\';
            shown += name[at];
        } else {
            shown.append(name, at, length);
        }
        at += length;
    }
    return shown + "'";
}

} // namespace ZQ3

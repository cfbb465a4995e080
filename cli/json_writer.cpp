#include "cli/json_writer.h"

#include <cmath>
#include <cstdio>

namespace ZQ3 {

void CJsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasMember_.empty()) {
        if (hasMember_.back()) {
            output_ << ',';
        }
        hasMember_.back() = true;
    }
}

CJsonWriter& CJsonWriter::beginObject() {
    separate();
    output_ << '{';
    hasMember_.push_back(false);
    return *this;
}

CJsonWriter& CJsonWriter::endObject() {
    hasMember_.pop_back();
    output_ << '}';
    return *this;
}

CJsonWriter& CJsonWriter::beginArray() {
    separate();
    output_ << '[';
    hasMember_.push_back(false);
    return *this;
}

CJsonWriter& CJsonWriter::endArray() {
    hasMember_.pop_back();
    output_ << ']';
    return *this;
}

CJsonWriter& CJsonWriter::key(const std::string& name) {
    separate();
    output_ << '"' << Escape(name) << "\":";
    afterKey_ = true;
    return *this;
}

CJsonWriter& CJsonWriter::value(const std::string& text) {
    separate();
    output_ << '"' << Escape(text) << '"';
    return *this;
}

CJsonWriter& CJsonWriter::value(bool flag) {
    separate();
    output_ << (flag ? "true" : "false");
    return *this;
}

CJsonWriter& CJsonWriter::value(std::int64_t number) {
    separate();
    output_ << number;
    return *this;
}

CJsonWriter& CJsonWriter::null() {
    separate();
    output_ << "null";
    return *this;
}

CJsonWriter& CJsonWriter::value(double number) {
    separate();
    if (!std::isfinite(number)) {
        output_ << "null";
        return *this;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", number);
    output_ << text;
    return *this;
}

std::string CJsonWriter::Escape(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            escaped += "\\\"";
            break;
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char code[8];
                std::snprintf(code, sizeof code, "\\u%04x", byte);
                escaped += code;
            } else {
                // UTF-8 passes through as it is: JSON text is UTF-8.
                escaped += c;
            }
        }
    }
    return escaped;
}

} // namespace ZQ3

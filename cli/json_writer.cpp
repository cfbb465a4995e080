#include "cli/json_writer.h"

#include "app/shown_name.h"

#include <cmath>
#include <cstdio>

namespace ZQ3 {
namespace {

std::string Code(unsigned value) {
    char code[8];
    std::snprintf(code, sizeof code, "\\u%04x", value);
    return code;
}

} // namespace

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
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        std::uint32_t codePoint = 0;
        const std::size_t length = Utf8SequenceLength(text, at, codePoint);
        if (length == 0) {
            // JSON text is UTF-8: a byte that is none (a name from a file system in another
            // encoding) becomes the replacement character rather than break the document.
            escaped += "\\ufffd";
            ++at;
            continue;
        }
        if (length > 1) {
            // C1 control characters, which some terminals act on, are escaped like C0 ones.
            if (codePoint <= 0x9F) {
                escaped += Code(codePoint);
            } else {
                escaped.append(text, at, length);
            }
            at += length;
            continue;
        }
        switch (byte) {
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
            // Every other control character, DEL included, as its code: JSON allows none of
            // C0 raw, and none of them may reach a terminal that shows the document.
            if (byte < 0x20 || byte == 0x7F) {
                escaped += Code(byte);
            } else {
                escaped += static_cast<char>(byte);
            }
        }
        ++at;
    }
    return escaped;
}

} // namespace ZQ3

#include "gt/number_text.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace GT {
namespace {

// The text after leading white space and an optional "-"; negative tells whether there was one.
std::string_view Unsigned(const std::string& text, bool& negative) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    negative = at < text.size() && text[at] == '-';
    if (negative) {
        ++at;
    }
    return std::string_view(text).substr(at);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

double ReadHexReal(std::string_view digits) {
    double value = 0.0;
    std::size_t at = 0;
    for (; at < digits.size() && HexDigitValue(digits[at]) >= 0; ++at) {
        value = value * 16.0 + HexDigitValue(digits[at]);
    }
    if (at < digits.size() && digits[at] == '.') {
        ++at;
        // Up to seven fraction digits make a 28-bit fraction; missing digits count as zeros.
        double fraction = 0.0;
        double weight = 1.0 / 16.0;
        for (int taken = 0; taken < 7 && at < digits.size() && HexDigitValue(digits[at]) >= 0;
             ++taken, ++at) {
            fraction += HexDigitValue(digits[at]) * weight;
            weight /= 16.0;
        }
        value += fraction;
    }
    return value;
}

} // namespace

std::string IntegerText(long value) {
    return std::to_string(value);
}

std::string RealText(double value) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 15);
    if (result.ec != std::errc()) {
        return "0";
    }
    return std::string(buffer, result.ptr);
}

long ReadIntegerText(const std::string& text) {
    bool negative = false;
    const std::string rest(Unsigned(text, negative));
    errno = 0;
    // Base 0 reads decimal, "0x" hexadecimal and leading-zero octal, as the store's texts do;
    // text that is not a number gives 0, and a value out of range stops at the limit.
    const long value = std::strtol(rest.c_str(), nullptr, 0);
    if (negative) {
        // The one negative long without a positive counterpart stays at the limit.
        return value == std::numeric_limits<long>::min() ? std::numeric_limits<long>::max()
                                                         : -value;
    }
    return value;
}

double ReadRealText(const std::string& text) {
    bool negative = false;
    const std::string_view rest = Unsigned(text, negative);
    double value = 0.0;
    if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        value = ReadHexReal(rest.substr(2));
    } else {
        const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value);
        if (result.ec != std::errc()) {
            value = 0.0;
        }
    }
    return negative ? -value : value;
}

} // namespace GT

#pragma once

#include <cctype>
#include <string>

namespace GT {

// text with its ASCII letters in lower case, for names and words typed in either case ("D5",
// "AIFF", "Yes"); other bytes, UTF-8 included, stay as they are.
inline std::string AsciiLowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

} // namespace GT

#pragma once

#include <optional>
#include <string>

namespace ZQ3 {

struct PadAddress {
    int bank;
    int pad;
    int slot() const { return bank * 16 + pad; }
};

// "D5" is bank D (1), pad 5; the bank letter runs from "C" to "J", the pad from 0 to 15, and
// the letter may be lower case. "D05", as an export names the pad's file, is D5 as well.
std::optional<PadAddress> ParsePadName(const std::string& name);

// The bank a bank letter "C" to "J" (in either case) names.
std::optional<int> ParseBankLetter(const std::string& name);

} // namespace ZQ3

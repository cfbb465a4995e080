#include "cli/pad_name.h"

#include "card/card_layout.h"

#include <cctype>

namespace ZQ3 {

std::optional<PadAddress> ParsePadName(const std::string& name) {
    if (name.size() < 2 || name.size() > 3) {
        return std::nullopt;
    }
    const int bank = std::toupper(static_cast<unsigned char>(name[0])) - 'C';
    if (!CardLayout::IsValidBank(bank)) {
        return std::nullopt;
    }
    int pad = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
            return std::nullopt;
        }
        pad = pad * 10 + (name[i] - '0');
    }
    // "D05" would be a second spelling of "D5"; keep one.
    if (name.size() == 3 && name[1] == '0') {
        return std::nullopt;
    }
    if (!CardLayout::IsValidPad(pad)) {
        return std::nullopt;
    }
    return PadAddress{bank, pad};
}

} // namespace ZQ3

#include "cli/pad_name.h"

#include "card/card_layout.h"

#include <cctype>

namespace ZQ3 {

std::optional<PadAddress> ParsePadName(const std::string& name) {
    const auto slot = CardLayout::SlotOfPadName(name);
    if (!slot) {
        return std::nullopt;
    }
    return PadAddress{*slot / CardLayout::PadsPerBank, *slot % CardLayout::PadsPerBank};
}

std::optional<int> ParseBankLetter(const std::string& name) {
    if (name.size() != 1) {
        return std::nullopt;
    }
    const int bank = std::toupper(static_cast<unsigned char>(name[0])) - 'C';
    return CardLayout::IsValidBank(bank) ? std::optional<int>(bank) : std::nullopt;
}

} // namespace ZQ3

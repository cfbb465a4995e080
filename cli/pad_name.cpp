#include "cli/pad_name.h"

#include "card/card_layout.h"

namespace ZQ3 {

std::optional<PadAddress> ParsePadName(const std::string& name) {
    const auto slot = CardLayout::SlotOfPadName(name);
    if (!slot) {
        return std::nullopt;
    }
    return PadAddress{*slot / CardLayout::PadsPerBank, *slot % CardLayout::PadsPerBank};
}

} // namespace ZQ3

#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ZQ3 {

// Whether the folder at root holds a card: its information file reads as a whole card's records.
// Reads a few kilobytes and changes nothing, so a drive list may ask it of every volume.
bool HoldsCard(const std::string& root);

// The bytes free on the volume of the card at root; nothing when the volume does not say.
std::optional<std::uint64_t> CardFreeBytes(const std::string& root);

} // namespace ZQ3

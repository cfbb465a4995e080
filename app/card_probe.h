#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ZQ3 {

// Whether the folder at root holds a card: its information file reads as a whole card's records.
// Reads a few kilobytes and changes nothing, so a drive list may ask it of every volume.
bool HoldsCard(const std::string& root);

// Whether the card at root has certainly gone: its converter folder is no longer there (the
// card was taken out or unmounted, its folder renamed or removed). Examines one name and reads
// nothing, so it may be asked at any moment, even while a change of the card is under way; a
// folder that cannot be examined (an I/O error) does not count as gone.
bool CardFolderGone(const std::string& root);

// The bytes free on the volume of the card at root; nothing when the volume does not say.
std::optional<std::uint64_t> CardFreeBytes(const std::string& root);

} // namespace ZQ3

#pragma once

#include "card/sample_entry.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ZQ3 {

// Where things live on a card, and the size rules the commands check before they write.
// A card root is a mount point or folder path without a trailing "/".
namespace CardLayout {

constexpr int BankCount = 8;
constexpr int PadsPerBank = 16;
constexpr int SlotCount = BankCount * PadsPerBank;

// File formats an export can write, as numbered by SL::CWaveFileFormat.
constexpr int FileFormatAiff = 1;
constexpr int FileFormatWave = 2;

constexpr const char* DirectoryBelowRoot = "/KELDRA/ZQ314/";
constexpr const char* InformationFileName = "WVCINFO0.ZQD";

constexpr int Slot(int bank, int pad) {
    return bank * PadsPerBank + pad;
}
constexpr bool IsValidBank(int bank) {
    return bank >= 0 && bank < BankCount;
}
constexpr bool IsValidPad(int pad) {
    return pad >= 0 && pad < PadsPerBank;
}

// "C" for bank 0 up to "J" for bank 7.
char BankLetter(int bank);
// "D5" for slot 21: the bank letter and the pad number, as the sampler and every text name a pad.
std::string PadName(int slot);
// The slot a pad name names: "D5", its lower-case "d5", or "D05" as an export names its file;
// nothing for any other text.
std::optional<int> SlotOfPadName(const std::string& name);

std::string CardDirectory(const std::string& root);
std::string InformationFilePath(const std::string& root);
// "/KELDRA/ZQ314/SMP" followed by the slot in four upper-case hexadecimal digits.
std::string SlotBase(int slot);
// "SMP" followed by the slot in four upper-case hexadecimal digits.
std::string SlotFileStem(int slot);
// The channel files' names within the card directory: "SMP0015L.ZQD" and "SMP0015R.ZQD".
std::string LeftFileName(int slot);
std::string RightFileName(int slot);
std::string LeftFilePath(const std::string& root, int slot);
std::string RightFilePath(const std::string& root, int slot);
// The card directory joined with the file-name part of path (the text after its last "/").
std::string CardCopyPath(const std::string& root, const std::string& path);

// Bytes of channel files that an import of frames × channels writes: 16 bytes per started
// block of 16 frames per channel.
std::uint64_t CardBytesNeeded(std::int64_t frames, int channels);

// What a change writes onto the card besides channel files: the new information file (128
// records of 23 bytes) and the journal that commits the change. A journal has a header, a line
// for each channel file of the pads changed and one for the information file, and a checksum;
// no line is longer than 64 bytes.
constexpr std::uint64_t InformationFileBytes = 128 * 23;
constexpr std::uint64_t JournalBytes(int pads) {
    return 64 * (2 * static_cast<std::uint64_t>(pads) + 3);
}
// The journal of a change of every pad; a longer one is never written, nor read as a journal.
constexpr std::uint64_t LargestJournalBytes = JournalBytes(SlotCount);

// Size of the 16-bit file an export of entry writes in fileFormat; 0 for an empty entry.
std::uint64_t DiskBytesNeeded(const SampleEntry& entry, int fileFormat);

} // namespace CardLayout
} // namespace ZQ3

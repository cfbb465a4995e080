#include "card/card_layout.h"

#include "sl/codec/card_sound_format.h"

#include <cctype>
#include <cstdio>

namespace ZQ3::CardLayout {

char BankLetter(int bank) {
    return static_cast<char>('C' + bank);
}

std::string PadName(int slot) {
    return BankLetter(slot / PadsPerBank) + std::to_string(slot % PadsPerBank);
}

std::optional<int> SlotOfPadName(const std::string& name) {
    if (name.size() < 2 || name.size() > 3) {
        return std::nullopt;
    }
    const int bank = std::toupper(static_cast<unsigned char>(name[0])) - 'C';
    if (!IsValidBank(bank)) {
        return std::nullopt;
    }
    int pad = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
            return std::nullopt;
        }
        pad = pad * 10 + (name[i] - '0');
    }
    if (!IsValidPad(pad)) {
        return std::nullopt;
    }
    return Slot(bank, pad);
}

std::string CardDirectory(const std::string& root) {
    return root + DirectoryBelowRoot;
}

std::string InformationFilePath(const std::string& root) {
    return CardDirectory(root) + InformationFileName;
}

std::string SlotBase(int slot) {
    return std::string(DirectoryBelowRoot) + SlotFileStem(slot);
}

std::string SlotFileStem(int slot) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(slot) & 0xFFFFu);
    return std::string("SMP") + digits;
}

std::string LeftFileName(int slot) {
    return SlotFileStem(slot) + "L.ZQD";
}

std::string RightFileName(int slot) {
    return SlotFileStem(slot) + "R.ZQD";
}

std::string LeftFilePath(const std::string& root, int slot) {
    return CardDirectory(root) + LeftFileName(slot);
}

std::string RightFilePath(const std::string& root, int slot) {
    return CardDirectory(root) + RightFileName(slot);
}

std::string CardCopyPath(const std::string& root, const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return CardDirectory(root) + name;
}

std::uint64_t CardBytesNeeded(std::int64_t frames, int channels) {
    if (frames < 1 || channels < 1) {
        return 0;
    }
    const auto blocks = (static_cast<std::uint64_t>(frames) + 15) / 16;
    return blocks * static_cast<std::uint64_t>(channels) * 16;
}

std::uint64_t DiskBytesNeeded(const SampleEntry& entry, int fileFormat) {
    if (entry.isEmpty()) {
        return 0;
    }
    const auto frames = static_cast<std::uint64_t>(entry.playedFrames());
    const std::uint64_t header =
        fileFormat == FileFormatWave ? 46 : (fileFormat == FileFormatAiff ? 54 : 0);
    constexpr std::uint64_t BytesPerSample = SL::CCardSoundFormat::kBitsPerSample / 8;
    return frames * BytesPerSample * static_cast<std::uint64_t>(entry.channelCount()) + header;
}

} // namespace ZQ3::CardLayout

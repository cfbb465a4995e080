#include "app/backup_manifest.h"

#include "card/card_layout.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <set>

namespace ZQ3 {
namespace {

constexpr std::string_view FirstLine = "ZQ3 CARD BACKUP 1";

// A field of digits only, with no sign, no leading zero and no room for an overflow.
template <typename Number>
bool ParseNumber(std::string_view text, int base, Number& value) {
    if (text.empty() || (text.size() > 1 && text[0] == '0')) {
        return false;
    }
    for (const char c : text) {
        const bool digit = (c >= '0' && c <= '9') || (base == 16 && c >= 'a' && c <= 'f');
        if (!digit) {
            return false;
        }
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

std::optional<CBackupManifest::Item> ParseLine(std::string_view line) {
    const std::size_t firstSpace = line.find(' ');
    if (firstSpace != 16) {
        return std::nullopt;
    }
    const std::size_t secondSpace = line.find(' ', firstSpace + 1);
    if (secondSpace == std::string_view::npos) {
        return std::nullopt;
    }
    CBackupManifest::Item item;
    item.name = std::string(line.substr(secondSpace + 1));
    const std::string_view digest = line.substr(0, firstSpace);
    // A digest is written with all its 16 digits, leading zeros included.
    const std::string_view digestDigits =
        digest.substr(std::min(digest.find_first_not_of('0'), std::size_t{15}));
    if (!ParseNumber(digestDigits, 16, item.digest) ||
        !ParseNumber(line.substr(firstSpace + 1, secondSpace - firstSpace - 1), 10, item.bytes) ||
        !IsCardFileName(item.name) || item.bytes > LargestCardFileBytes(item.name)) {
        return std::nullopt;
    }
    return item;
}

} // namespace

const CBackupManifest::Item* CBackupManifest::find(const std::string& name) const {
    for (const Item& item : items_) {
        if (item.name == name) {
            return &item;
        }
    }
    return nullptr;
}

std::string CBackupManifest::text() const {
    std::string text = std::string(FirstLine) + "\n";
    for (const Item& item : items_) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%016" PRIx64 " %" PRIu64 " ", item.digest,
                      item.bytes);
        text += numbers + item.name + "\n";
    }
    return text;
}

std::optional<CBackupManifest> CBackupManifest::Parse(std::string_view text, std::string& badLine) {
    badLine.clear();
    if (text.size() > LargestBytes || text.empty() || text.back() != '\n') {
        return std::nullopt;
    }
    CBackupManifest manifest;
    std::set<std::string> names;
    bool first = true;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (first) {
            first = false;
            if (line != FirstLine) {
                badLine = std::string(line);
                return std::nullopt;
            }
            continue;
        }
        std::optional<Item> item = ParseLine(line);
        if (!item || !names.insert(item->name).second) {
            badLine = std::string(line);
            return std::nullopt;
        }
        manifest.add(std::move(*item));
    }
    if (names.count(CardLayout::InformationFileName) == 0) {
        return std::nullopt;
    }
    return manifest;
}

bool IsCardFileName(const std::string& name) {
    if (name == CardLayout::InformationFileName) {
        return true;
    }
    // "SMP" + four upper-case hexadecimal digits + "L" or "R" + ".ZQD", for a slot of the card.
    if (name.size() != 12 || name.compare(0, 3, "SMP") != 0 || name.compare(8, 4, ".ZQD") != 0 ||
        (name[7] != 'L' && name[7] != 'R')) {
        return false;
    }
    int slot = 0;
    for (std::size_t i = 3; i < 7; ++i) {
        const char c = name[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) {
            return false;
        }
        slot = slot * 16 + digit;
    }
    return slot < CardLayout::SlotCount;
}

std::uint64_t LargestCardFileBytes(const std::string& name) {
    if (name == CardLayout::InformationFileName) {
        return 1024 * 1024;
    }
    return std::uint64_t{1} << 32;
}

} // namespace ZQ3

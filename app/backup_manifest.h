#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZQ3 {

// The list of a card backup's files with their sizes and digests, kept in the archive beside
// them, so that a restore can tell a whole backup from a damaged one before it writes anything.
// One line a file: the digest as 16 lower-case hexadecimal digits, the size in bytes and the
// file's name within the card folder, separated by single spaces, after a first line that says
// what the text is.
class CBackupManifest {
public:
    struct Item {
        std::string name;
        std::uint64_t bytes = 0;
        std::uint64_t digest = 0;
    };

    // The manifest's name in the archive, beside the card folder's files.
    static constexpr const char* ArchiveName = "ZQ3-BACKUP-MANIFEST.txt";
    // No manifest of a card's files comes near this: 257 lines of at most 50 bytes.
    static constexpr std::size_t LargestBytes = 64 * 1024;

    void add(Item item) { items_.push_back(std::move(item)); }
    const std::vector<Item>& items() const { return items_; }
    const Item* find(const std::string& name) const;

    std::string text() const;
    // The manifest text reads, or nothing when a line is not as text() writes it, a name is not
    // one a card folder's converter files have, a name comes twice, or the information file is
    // missing. The line at fault goes into badLine.
    static std::optional<CBackupManifest> Parse(std::string_view text, std::string& badLine);

private:
    std::vector<Item> items_;
};

// Whether name is one of the files the converter keeps in a card folder: the information file or
// a channel file of one of the 128 slots ("SMP0015L.ZQD").
bool IsCardFileName(const std::string& name);

// The largest size a card file may have in a backup: a channel file holds at most 2^32 frames of
// a byte each; the information file is far smaller.
std::uint64_t LargestCardFileBytes(const std::string& name);

} // namespace ZQ3

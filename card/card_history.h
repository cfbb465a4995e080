#pragma once

#include "card/file_system.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZQ3 {

// What a card file held at one moment: nothing, or bytes with their digest (CContentDigest).
struct CardFileState {
    bool present = false;
    std::uint64_t digest = 0;
    std::uint64_t bytes = 0;

    friend bool operator==(const CardFileState&, const CardFileState&) = default;
};

// Reads the file at path, never through a link, into state (absent when nothing is there).
// False, with errno set, when something is there that cannot be read as a regular file.
bool ReadCardFileState(const std::string& path, CardFileState& state, IFileSystem& fs);

// What a change was, for the user: an English text of the catalogue with its "{0}", "{1}"...
// and their values, shown in the user's language when it is shown.
struct ChangeDescription {
    std::string text;
    std::vector<std::string> values;
};

// One card file a change touched: how it was before and after, by its name in the card folder.
struct ChangedFile {
    std::string name;
    CardFileState before;
    CardFileState after;
};

// One change kept in the history.
struct HistoryEntry {
    // The entry's folder name; entries sort by it, oldest first.
    std::string id;
    // Seconds since the epoch when the change was committed.
    std::int64_t time = 0;
    ChangeDescription description;
    std::vector<ChangedFile> files;
    // Undone and waiting to be redone.
    bool undone = false;
};

// The changes of one card kept on the computer, outside the card, so that they can be undone
// and redone: each entry holds copies of the card files a change replaced or removed (before/)
// and of those it wrote (after/), with their digests. An entry is written under a pending name
// and renamed into place whole, so a crash leaves no half entry that counts. The entries of all
// cards together stay within a bound; the oldest go first.
class CCardHistory {
public:
    // The history of the card known as cardKey (CardHistoryKey) under home, bounded to limit
    // bytes in all.
    CCardHistory(std::string home, std::string cardKey, std::uint64_t limit);

    // The history of the card at root in the user's history folder ($XDG_DATA_HOME/zq3/history,
    // ~/.local/share by default) bounded by $ZQ3_HISTORY_LIMIT (bytes, or with a K, M or G
    // suffix; 2 GiB when unset); nothing when that limit is 0, which turns the history off.
    static std::optional<CCardHistory> ForCard(const std::string& root);
    static constexpr std::uint64_t DefaultLimit = std::uint64_t{2} << 30;

    // The folder of this card's entries.
    const std::string& folder() const { return folder_; }
    std::uint64_t limit() const { return limit_; }

    // The whole entries, oldest first; a pending or damaged one is left out.
    std::vector<HistoryEntry> entries() const;
    // Where the copy of an entry's file is kept: the state before the change or after it.
    std::string beforeCopy(const HistoryEntry& entry, const std::string& name) const;
    std::string afterCopy(const HistoryEntry& entry, const std::string& name) const;
    // Marks the entry undone or redone; false with errno when the mark cannot be written.
    bool markUndone(const HistoryEntry& entry, bool undone);

    // An entry being written. Files are added, then the entry is either completed, which
    // renames it into place, or dropped with the object.
    class CRecording {
    public:
        CRecording(CRecording&&) noexcept;
        CRecording& operator=(CRecording&&) noexcept;
        ~CRecording();
        // Copies what the card file at cardPath holds now (or its absence) as the state
        // before the change of name; false with errno when it cannot.
        bool addBefore(const std::string& name, const std::string& cardPath, IFileSystem& fs);
        // Copies the file at source (read through fs) as what name holds after the change, or
        // marks name removed when source is empty.
        bool addAfter(const std::string& name, const std::string& source, IFileSystem& fs);
        // Every copy flushed to the computer's disk; false with errno when not.
        bool flush();
        // Puts the entry in place, drops the entries that were undone (a new change ends what
        // could be redone) and the oldest ones beyond the bound.
        bool complete();

    private:
        friend class CCardHistory;
        CRecording(CCardHistory& history, std::string pending, HistoryEntry entry);
        ChangedFile& fileNamed(const std::string& name);
        bool copy(const std::string& source, const std::string& destination, CardFileState& state,
                  IFileSystem& fs);
        CCardHistory* history_;
        std::string pending_;
        HistoryEntry entry_;
        bool completed_ = false;
    };
    // Begins an entry for a change described so; nothing, with errno, when the history folder
    // cannot be written.
    std::optional<CRecording> record(const ChangeDescription& description);

    // Removes the oldest entries of every card's history under home until they take at most
    // limit bytes; keep is never removed.
    void trim(const std::string& keep) const;

private:
    std::string home_;
    std::string folder_;
    std::uint64_t limit_;
};

// The name of the card at root in the history: "uuid-" and its file system's UUID where the
// mount table (mountInfo, as /proc/self/mountinfo reads) and the links of byUuid (as
// /dev/disk/by-uuid) tell it, followed by root's place on that file system unless root is the
// file system's own root (as a memory card's is); else "path-" and the card's path. Either is
// escaped into one folder name.
std::string CardHistoryKey(const std::string& root, const std::string& mountInfo,
                           const std::string& byUuid);

} // namespace ZQ3

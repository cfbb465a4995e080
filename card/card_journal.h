#pragma once

#include "card/card_obstacle.h"
#include "card/file_system.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZQ3 {

// The steps that finish a change of the card, kept on the card while they are carried out.
//
// A change first puts every new file on the card under a temporary name and flushes them all;
// then the journal is written and flushed, which commits the change; then its steps are applied and
// the journal removed. Whoever opens the card next and finds a journal applies it again: every
// step can be repeated, so a change that a crash interrupted ends complete, and one that never
// reached its journal leaves only temporary files, which are removed.
//
// A journal on a card is untrusted input. It may only move the converter's own temporary files
// onto the card's file names and remove channel files, so a forged one can do nothing that a
// change of the card could not.
struct JournalStep {
    enum class Kind { Rename, Remove };
    Kind kind = Kind::Remove;
    // File names in the card directory, without a directory part.
    std::string name;
    // The name a Rename gives the file; empty for a Remove.
    std::string newName;

    static JournalStep Renaming(std::string from, std::string to) {
        return {Kind::Rename, std::move(from), std::move(to)};
    }
    static JournalStep Removing(std::string file) { return {Kind::Remove, std::move(file), {}}; }

    friend bool operator==(const JournalStep&, const JournalStep&) = default;
};

namespace CardJournal {

// The journal's bytes: a header line, one line a step, and a checksum line.
std::string Serialize(const std::vector<JournalStep>& steps);
// The steps, or nothing when the bytes are torn, altered or name anything a change may not
// touch.
std::optional<std::vector<JournalStep>> Parse(std::string_view bytes);

// Creates the journal in directory as a new file and makes it durable, file and name: when this
// returns true the change is committed. On false a journal may still be there, whole or in part;
// the caller must remove it before it may take the change as not made.
bool Write(const std::string& directory, const std::vector<JournalStep>& steps, IFileSystem& fs);

enum class ReadResult { Absent, Valid, Invalid, Unreadable };
// Reads the journal in directory into steps.
ReadResult Read(const std::string& directory, std::vector<JournalStep>& steps, IFileSystem& fs);

// Whether every rename of steps starts from a regular file in directory, or from a name already
// renamed by an earlier attempt. The converter's temporary files are regular files it made
// itself; a journal that would move a link, a folder or a device onto a card name is not one a
// converter wrote, and is never carried out. failure, when given, names the first source that
// is not, or that could not be examined.
bool MovesOnlyRegularFiles(const std::string& directory, const std::vector<JournalStep>& steps,
                           IFileSystem& fs, CardObstacle* failure = nullptr);

// Carries out steps in directory, each one skipped when it was done already, then flushes the
// directory and removes the journal. False when any step fails; the journal then stays for the
// next attempt, and failure, when given, says what stood in the way: a folder at a name to be
// replaced or removed, or the name at which the system refused.
bool Apply(const std::string& directory, const std::vector<JournalStep>& steps, IFileSystem& fs,
           CardObstacle* failure = nullptr);

} // namespace CardJournal
} // namespace ZQ3

#include "card/card_journal.h"

#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "card/temporary_names.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace ZQ3::CardJournal {
namespace {

constexpr std::string_view Header = "ZQ3 journal 1\n";
constexpr std::string_view ChecksumTag = "check ";
// More than the longest journal a change writes; a larger file is not ours.
constexpr std::size_t LargestJournal = CardLayout::LargestJournalBytes;

std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

bool IsTemporaryName(std::string_view name) {
    const std::string_view prefix = TemporaryNames::Prefix;
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix ||
        name == TemporaryNames::JournalFile) {
        return false;
    }
    for (const char c : name) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

bool IsChannelFileName(std::string_view name) {
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        if (name == CardLayout::LeftFileName(slot) || name == CardLayout::RightFileName(slot)) {
            return true;
        }
    }
    return false;
}

bool IsCardFileName(std::string_view name) {
    return name == CardLayout::InformationFileName || IsChannelFileName(name);
}

std::string Body(const std::vector<JournalStep>& steps) {
    std::string body(Header);
    for (const JournalStep& step : steps) {
        if (step.kind == JournalStep::Kind::Rename) {
            body += "rename " + step.name + " " + step.newName + "\n";
        } else {
            body += "remove " + step.name + "\n";
        }
    }
    return body;
}

std::optional<JournalStep> ParseStep(std::string_view line) {
    const std::size_t first = line.find(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view verb = line.substr(0, first);
    const std::string_view rest = line.substr(first + 1);
    if (verb == "remove") {
        if (!IsChannelFileName(rest)) {
            return std::nullopt;
        }
        return JournalStep::Removing(std::string(rest));
    }
    if (verb == "rename") {
        const std::size_t second = rest.find(' ');
        if (second == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view from = rest.substr(0, second);
        const std::string_view to = rest.substr(second + 1);
        if (!IsTemporaryName(from) || !IsCardFileName(to)) {
            return std::nullopt;
        }
        return JournalStep::Renaming(std::string(from), std::string(to));
    }
    return std::nullopt;
}

std::string PathIn(const std::string& directory, const std::string& name) {
    return directory.back() == '/' ? directory + name : directory + "/" + name;
}

bool WriteAll(IFileSystem& fs, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = fs.Write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Why changing the name at path failed with error: a folder or other item there, when that is
// what is in the way, or else the system's refusal.
CardObstacle FailureAt(const std::string& path, int error, IFileSystem& fs) {
    CardObstacle found = ExamineCardName(path, fs);
    if (found.kind == CardObstacle::Kind::Folder || found.kind == CardObstacle::Kind::SystemError) {
        return found;
    }
    return CardObstacle::Refused(path, error);
}

CardObstacle ApplyStep(const std::string& directory, const JournalStep& step, IFileSystem& fs) {
    const std::string path = PathIn(directory, step.name);
    if (step.kind == JournalStep::Kind::Remove) {
        // unlink removes a link or a FIFO itself, never what it leads to; a folder stays.
        if (fs.Unlink(path) == 0 || errno == ENOENT) {
            return {};
        }
        return FailureAt(path, errno, fs);
    }
    // A temporary file that is gone was renamed by an earlier attempt.
    struct stat status {};
    if (fs.Lstat(path, status) != 0) {
        return errno == ENOENT ? CardObstacle{} : CardObstacle::Refused(path, errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return {ObstacleKindOfMode(status.st_mode), path, 0};
    }
    // A link or a FIFO at the card name is replaced itself; only a folder keeps the name.
    const std::string target = PathIn(directory, step.newName);
    if (fs.Rename(path, target, 0) == 0) {
        return {};
    }
    return FailureAt(target, errno, fs);
}

void Tell(CardObstacle* failure, CardObstacle found) {
    if (failure != nullptr) {
        *failure = std::move(found);
    }
}

} // namespace

std::string Serialize(const std::vector<JournalStep>& steps) {
    const std::string body = Body(steps);
    return body + std::string(ChecksumTag) + Hex(Fnv1a(body)) + "\n";
}

std::optional<std::vector<JournalStep>> Parse(std::string_view bytes) {
    if (bytes.size() > LargestJournal || bytes.substr(0, Header.size()) != Header) {
        return std::nullopt;
    }
    std::vector<JournalStep> steps;
    std::size_t position = Header.size();
    while (position < bytes.size()) {
        const std::size_t end = bytes.find('\n', position);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view line = bytes.substr(position, end - position);
        if (line.substr(0, ChecksumTag.size()) == ChecksumTag) {
            const bool last = end + 1 == bytes.size();
            const std::string_view body = bytes.substr(0, position);
            if (!last || line.substr(ChecksumTag.size()) != Hex(Fnv1a(body))) {
                return std::nullopt;
            }
            return steps;
        }
        auto step = ParseStep(line);
        if (!step) {
            return std::nullopt;
        }
        steps.push_back(std::move(*step));
        position = end + 1;
    }
    // No checksum line: the write was cut short.
    return std::nullopt;
}

bool Write(const std::string& directory, const std::vector<JournalStep>& steps, IFileSystem& fs) {
    const std::string bytes = Serialize(steps);
    // A journal that Read would refuse must never commit a change: after a crash the change
    // would be taken as never made, with some of its steps already carried out.
    if (bytes.size() > LargestJournal) {
        errno = EFBIG;
        return false;
    }
    const std::string path = PathIn(directory, TemporaryNames::JournalFile);
    const int fd = fs.Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                           S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fs, fd, bytes) && fs.Fsync(fd) == 0;
    const bool closed = fs.Close(fd) == 0;
    if (!written || !closed) {
        return false;
    }
    // The journal's name reaching the device is the moment the change is committed.
    return FileTransfer::SyncDirectory(directory, fs);
}

ReadResult Read(const std::string& directory, std::vector<JournalStep>& steps, IFileSystem& fs) {
    const std::string path = PathIn(directory, TemporaryNames::JournalFile);
    const int fd = fs.Open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
    if (fd < 0) {
        if (errno == ENOENT) {
            return ReadResult::Absent;
        }
        // A link at the journal's name was never written by a converter.
        return errno == ELOOP ? ReadResult::Invalid : ReadResult::Unreadable;
    }
    std::string bytes;
    struct stat status {};
    bool regular = fs.Fstat(fd, status) == 0 && S_ISREG(status.st_mode);
    char buffer[1024];
    while (regular && bytes.size() <= LargestJournal) {
        const ssize_t got = fs.Read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            fs.Close(fd);
            return ReadResult::Unreadable;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    fs.Close(fd);
    auto parsed = regular ? Parse(bytes) : std::nullopt;
    if (!parsed) {
        return ReadResult::Invalid;
    }
    steps = std::move(*parsed);
    return ReadResult::Valid;
}

bool MovesOnlyRegularFiles(const std::string& directory, const std::vector<JournalStep>& steps,
                           IFileSystem& fs, CardObstacle* failure) {
    for (const JournalStep& step : steps) {
        if (step.kind != JournalStep::Kind::Rename) {
            continue;
        }
        if (CardObstacle found = ExamineCardName(PathIn(directory, step.name), fs)) {
            Tell(failure, std::move(found));
            return false;
        }
    }
    return true;
}

bool Apply(const std::string& directory, const std::vector<JournalStep>& steps, IFileSystem& fs,
           CardObstacle* failure) {
    for (const JournalStep& step : steps) {
        if (CardObstacle found = ApplyStep(directory, step, fs)) {
            Tell(failure, std::move(found));
            return false;
        }
    }
    // The journal may go only once every step is durable.
    if (!FileTransfer::SyncDirectory(directory, fs)) {
        Tell(failure, CardObstacle::Refused(directory, errno));
        return false;
    }
    const std::string journal = PathIn(directory, TemporaryNames::JournalFile);
    if (fs.Unlink(journal) != 0 && errno != ENOENT) {
        Tell(failure, FailureAt(journal, errno, fs));
        return false;
    }
    if (!FileTransfer::SyncDirectory(directory, fs)) {
        Tell(failure, CardObstacle::Refused(directory, errno));
        return false;
    }
    return true;
}

} // namespace ZQ3::CardJournal

#include "app/card_backup.h"

#include "app/backup_manifest.h"
#include "app/localized_text.h"
#include "app/private_directory.h"
#include "app/progress_session.h"
#include "app/tar_archive.h"
#include "app/temporary_files.h"
#include "card/card_history.h"
#include "card/card_layout.h"
#include "card/card_recovery.h"
#include "card/card_transaction.h"
#include "card/content_digest.h"
#include "card/path_names.h"
#include "card/sample_information_dto.h"
#include "card/temporary_names.h"
#include "ul/progress.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <optional>
#include <set>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZQ3 {
namespace {

using Problem = CardBackupResult::Problem;

// Large enough that copying runs at the disk's speed, small enough that Cancel answers at once.
constexpr std::size_t ChunkBytes = 256 * 1024;

// Where the card folder's files lie in the archive: under the same folders as on the card, so
// that the archive also reads as the card's files to any tar program.
const std::string ArchiveFolder = std::string(CardLayout::DirectoryBelowRoot).substr(1);

CardBackupResult Failed(Problem problem, CardBackupResult result = {}) {
    result.problem = problem;
    return result;
}

CardBackupResult Defective(BackupDefect defect, std::string file, std::string detail = {}) {
    CardBackupResult result;
    result.problem = Problem::BadArchive;
    result.defect = defect;
    result.file = std::move(file);
    result.detail = std::move(detail);
    return result;
}

// The card at root locked and settled for the command; nothing when it is, else why not.
std::optional<CardBackupResult> Hold(const std::string& root, CCardLock& lock,
                                     const CardLockWaiting& waiting, IFileSystem& fs) {
    switch (lock.acquire(root, waiting)) {
    case CCardLock::Result::Locked:
        break;
    case CCardLock::Result::Busy:
    case CCardLock::Result::Cancelled:
        return Failed(Problem::Busy);
    case CCardLock::Result::Failed:
        return Failed(Problem::NoCard);
    }
    CardBackupResult failure;
    const RecoveryResult recovery = RecoverCard(root, fs, &failure.obstacle);
    if (recovery != RecoveryResult::Clean && recovery != RecoveryResult::Finished) {
        failure.error = errno;
        return Failed(Problem::NotRecovered, std::move(failure));
    }
    return std::nullopt;
}

// The converter's files in the card folder at root, by name, sorted; false when the folder
// cannot be listed.
bool ListCardFiles(const std::string& root, IFileSystem& fs, std::vector<std::string>& files) {
    std::vector<std::string> names;
    if (!fs.ListDirectory(CardLayout::CardDirectory(root), names)) {
        return false;
    }
    for (std::string& name : names) {
        if (IsCardFileName(name)) {
            files.push_back(std::move(name));
        }
    }
    std::sort(files.begin(), files.end());
    return true;
}

UL::IProgress& ProgressOf(const CardBackupOptions& options, UL::IProgress& silent) {
    return options.progress != nullptr ? *options.progress : silent;
}

// Makes a whole, flushed archive appear at its path, or nothing at all.
class CArchiveFile {
public:
    CArchiveFile(std::string path, bool replace) : path_(std::move(path)), replace_(replace) {}
    ~CArchiveFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    CArchiveFile(const CArchiveFile&) = delete;
    CArchiveFile& operator=(const CArchiveFile&) = delete;

    bool create() {
        temporary_ = TemporaryPathBeside(path_);
        fd_ =
            ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd_ >= 0) {
            cleanUp_.add(temporary_);
        }
        return fd_ >= 0;
    }
    int fd() const { return fd_; }

    // Flushes the archive and gives it its name; false with errno set when it cannot.
    bool install() {
        const int fd = fd_;
        fd_ = -1;
        if (::fsync(fd) != 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        if (::close(fd) != 0) {
            return false;
        }
        if (replace_) {
            if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
                return false;
            }
        } else if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(),
                               RENAME_NOREPLACE) != 0) {
            // A file system without the flag: a link, which refuses an existing name as well.
            if (errno != EINVAL || ::link(temporary_.c_str(), path_.c_str()) != 0) {
                return false;
            }
            ::unlink(temporary_.c_str());
        }
        // The name, durable with its folder.
        const int folder =
            ::open(PathNames::ParentDirectory(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return true;
    }

private:
    std::string path_;
    bool replace_;
    std::string temporary_;
    int fd_ = -1;
    CTemporaryFiles cleanUp_;
};

// Copies one card file into the archive, reading it through fs; its digest goes into item.
CardBackupResult::Problem CopyIntoArchive(const std::string& path, const std::string& name,
                                          CTarWriter& writer, IFileSystem& fs,
                                          UL::IProgress& progress, std::int64_t& position,
                                          CBackupManifest::Item& item, int& error) {
    const int fd = fs.Open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) {
        // A link at the name is refused as what it is, not as an error of the system.
        error = errno == ELOOP ? 0 : errno;
        return Problem::CardFileUnreadable;
    }
    struct stat status {};
    Problem problem = Problem::None;
    const bool examined = fs.Fstat(fd, status) == 0;
    if (!examined || !S_ISREG(status.st_mode)) {
        // An error of 0 says that the file is no regular file.
        error = examined ? 0 : errno;
        fs.Close(fd);
        return Problem::CardFileUnreadable;
    }
    const auto bytes = static_cast<std::uint64_t>(status.st_size);
    CContentDigest digest;
    std::vector<char> buffer(ChunkBytes);
    if (bytes > LargestCardFileBytes(name) ||
        !writer.beginFile(ArchiveFolder + name, bytes, status.st_mtime)) {
        problem = bytes > LargestCardFileBytes(name) ? Problem::CardFileUnreadable
                                                     : Problem::CannotWriteArchive;
    }
    while (problem == Problem::None && digest.bytes() < bytes) {
        if (progress.isCancelled()) {
            problem = Problem::Cancelled;
            break;
        }
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(ChunkBytes, bytes - digest.bytes()));
        const ssize_t got = fs.Read(fd, buffer.data(), want);
        if (got <= 0) {
            // A file cut short while it was read is no copy of it.
            error = got < 0 ? errno : EIO;
            problem = Problem::CardFileUnreadable;
        } else if (!writer.write(buffer.data(), static_cast<std::size_t>(got))) {
            problem = Problem::CannotWriteArchive;
        } else {
            digest.add(buffer.data(), static_cast<std::size_t>(got));
            position += got;
            progress.setPosition(position);
        }
    }
    fs.Close(fd);
    item = {name, bytes, digest.value()};
    return problem;
}

// Reads a whole archive and judges it against its manifest, without writing anything.
class CBackupCheck {
public:
    CBackupCheck(int fd, UL::IProgress& progress) : reader_(fd), progress_(progress) {}

    // The manifest of a whole backup, or the defect in result.
    std::optional<CBackupManifest> run(CardBackupResult& result) {
        std::map<std::string, CBackupManifest::Item> found;
        std::optional<std::string> manifestText;
        for (;;) {
            const CTarReader::Next next = reader_.next();
            if (next == CTarReader::Next::End) {
                break;
            }
            if (next == CTarReader::Next::Damaged) {
                result = Defective(BackupDefect::NotAnArchive, {}, reader_.error());
                return std::nullopt;
            }
            const std::string& entry = reader_.name();
            const bool isManifest = entry == CBackupManifest::ArchiveName;
            const std::string name = isManifest ? entry : CardFileNameOf(entry);
            if (name.empty()) {
                result = Defective(BackupDefect::UnexpectedEntry, entry);
                return std::nullopt;
            }
            if (!reader_.isRegularFile()) {
                result = Defective(BackupDefect::NotARegularFile, entry);
                return std::nullopt;
            }
            if (found.count(name) != 0 || (isManifest && manifestText)) {
                result = Defective(BackupDefect::RepeatedEntry, entry);
                return std::nullopt;
            }
            const std::uint64_t largest =
                isManifest ? CBackupManifest::LargestBytes : LargestCardFileBytes(name);
            if (reader_.size() < 0 || static_cast<std::uint64_t>(reader_.size()) > largest) {
                result = Defective(BackupDefect::TooLarge, entry);
                return std::nullopt;
            }
            std::string text;
            CContentDigest digest;
            if (!readEntry(isManifest ? &text : nullptr, digest, result)) {
                return std::nullopt;
            }
            if (isManifest) {
                manifestText = std::move(text);
            } else {
                found[name] = {name, digest.bytes(), digest.value()};
            }
        }
        return judge(manifestText, found, result);
    }

    // The card file an archive entry stands for, or empty when it stands for none.
    static std::string CardFileNameOf(const std::string& entry) {
        if (entry.size() <= ArchiveFolder.size() ||
            entry.compare(0, ArchiveFolder.size(), ArchiveFolder) != 0) {
            return {};
        }
        std::string name = entry.substr(ArchiveFolder.size());
        return IsCardFileName(name) ? name : std::string();
    }

private:
    // Reads the current entry's data, keeping it in text when given (the manifest, bounded by
    // its size check); false with the defect or cancel in result.
    bool readEntry(std::string* text, CContentDigest& digest, CardBackupResult& result) {
        const auto expected = static_cast<std::uint64_t>(reader_.size());
        std::vector<char> buffer(ChunkBytes);
        for (;;) {
            if (progress_.isCancelled()) {
                result = Failed(Problem::Cancelled);
                return false;
            }
            const ssize_t got = reader_.read(buffer.data(), buffer.size());
            if (got < 0) {
                result = Defective(BackupDefect::NotAnArchive, reader_.name(), reader_.error());
                return false;
            }
            if (got == 0) {
                break;
            }
            digest.add(buffer.data(), static_cast<std::size_t>(got));
            if (digest.bytes() > expected) {
                result = Defective(BackupDefect::TooLarge, reader_.name());
                return false;
            }
            if (text != nullptr) {
                text->append(buffer.data(), static_cast<std::size_t>(got));
            }
            progress_.setPosition(reader_.position());
        }
        if (digest.bytes() != expected) {
            result = Defective(BackupDefect::NotAnArchive, reader_.name());
            return false;
        }
        return true;
    }

    static std::optional<CBackupManifest>
    judge(const std::optional<std::string>& text,
          const std::map<std::string, CBackupManifest::Item>& found, CardBackupResult& result) {
        if (!text) {
            result = Defective(BackupDefect::NoManifest, CBackupManifest::ArchiveName);
            return std::nullopt;
        }
        std::string badLine;
        std::optional<CBackupManifest> manifest = CBackupManifest::Parse(*text, badLine);
        if (!manifest) {
            result = Defective(BackupDefect::BadManifest, CBackupManifest::ArchiveName, badLine);
            return std::nullopt;
        }
        for (const auto& [name, item] : found) {
            if (manifest->find(name) == nullptr) {
                result = Defective(BackupDefect::NotInManifest, ArchiveFolder + name);
                return std::nullopt;
            }
        }
        for (const CBackupManifest::Item& listed : manifest->items()) {
            const auto it = found.find(listed.name);
            if (it == found.end()) {
                result = Defective(BackupDefect::MissingFile, ArchiveFolder + listed.name);
                return std::nullopt;
            }
            if (it->second.bytes != listed.bytes) {
                result = Defective(BackupDefect::SizeDiffers, ArchiveFolder + listed.name);
                return std::nullopt;
            }
            if (it->second.digest != listed.digest) {
                result = Defective(BackupDefect::DigestDiffers, ArchiveFolder + listed.name);
                return std::nullopt;
            }
        }
        return manifest;
    }

    CTarReader reader_;
    UL::IProgress& progress_;
};

// The archive at path opened for reading: a regular file, never a FIFO that would block.
int OpenArchive(const std::string& path, CardBackupResult& result) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        result.problem = Problem::CannotReadArchive;
        result.error = fd < 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        if (fd >= 0) {
            ::close(fd);
        }
        return -1;
    }
    return fd;
}

// The slots that hold a sample on the card now; none when its information file does not read.
std::vector<int> OccupiedSlots(const std::string& root) {
    std::vector<int> slots;
    const std::optional<std::vector<SampleEntry>> entries =
        ReadSampleInformationFile(CardLayout::InformationFilePath(root));
    for (std::size_t slot = 0; entries && slot < entries->size(); ++slot) {
        if (!(*entries)[slot].isEmpty()) {
            slots.push_back(static_cast<int>(slot));
        }
    }
    return slots;
}

// The temporary name a restored file is staged under: the converter's prefix, short enough
// for the journal's lines ("___ZQ3_TEMPORARY_SAMPLE_FILE___B0015L").
std::string StagedName(const std::string& name) {
    if (name == CardLayout::InformationFileName) {
        return TemporaryNames::SampleInformationFile;
    }
    return std::string(TemporaryNames::SampleFile) + "B" + name.substr(3, 5);
}

// Writes the current entry of reader to path, a new file of the private folder, and answers
// whether its bytes are those item gives. The archive may have changed since it was checked.
bool ExtractEntry(CTarReader& reader, const std::string& path, const CBackupManifest::Item& item,
                  UL::IProgress& progress, std::int64_t& position, CardBackupResult& result) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        result = Failed(Problem::CannotWriteCard);
        result.error = errno;
        result.detail = WorkFolderFailureDetail(errno, item.bytes);
        return false;
    }
    CContentDigest digest;
    std::vector<char> buffer(ChunkBytes);
    bool whole = true;
    for (;;) {
        if (progress.isCancelled()) {
            result = Failed(Problem::Cancelled);
            whole = false;
            break;
        }
        const ssize_t got = reader.read(buffer.data(), buffer.size());
        if (got <= 0 || digest.bytes() + static_cast<std::uint64_t>(got) > item.bytes) {
            if (got != 0) {
                result = Defective(BackupDefect::DigestDiffers, ArchiveFolder + item.name);
                whole = false;
            }
            break;
        }
        if (::write(fd, buffer.data(), static_cast<std::size_t>(got)) != got) {
            result = Failed(Problem::CannotWriteCard);
            result.error = errno;
            result.detail = WorkFolderFailureDetail(errno, item.bytes);
            whole = false;
            break;
        }
        digest.add(buffer.data(), static_cast<std::size_t>(got));
        position += got;
        progress.setPosition(position);
    }
    ::close(fd);
    if (whole && (digest.bytes() != item.bytes || digest.value() != item.digest)) {
        result = Defective(BackupDefect::DigestDiffers, ArchiveFolder + item.name);
        whole = false;
    }
    return whole;
}

// The one change of the card a restore makes: every file of the backup in archive staged,
// every card file the backup lacks removed.
CardBackupResult CommitRestore(const std::string& root, int archive,
                               const CBackupManifest& manifest, const CardBackupOptions& options,
                               const std::string& archiveName, IFileSystem& fs,
                               UL::IProgress& progress) {
    CPrivateDirectory work;
    if (!work.isValid()) {
        CardBackupResult failure = Failed(Problem::CannotWriteCard);
        failure.error = errno;
        failure.detail = WorkFolderFailureDetail(errno);
        return failure;
    }
    std::vector<std::string> onCard;
    if (!ListCardFiles(root, fs, onCard) || ::lseek(archive, 0, SEEK_SET) != 0) {
        CardBackupResult failure = Failed(Problem::CannotWriteCard);
        failure.error = errno;
        return failure;
    }
    std::optional<CCardHistory> history =
        options.recordHistory ? CCardHistory::ForCard(root) : std::nullopt;
    CCardTransaction transaction(root, fs);
    transaction.setReadBack(options.readBack);
    if (history) {
        transaction.recordIn(*history, {N_("Restore {0}"), {archiveName}});
    }
    CTarReader reader(archive);
    std::set<std::string> staged;
    std::int64_t position = 0;
    CardBackupResult result;
    for (CTarReader::Next next; (next = reader.next()) != CTarReader::Next::End;) {
        const std::string name = CBackupCheck::CardFileNameOf(reader.name());
        const CBackupManifest::Item* item = manifest.find(name);
        if (next == CTarReader::Next::Damaged ||
            (reader.name() != CBackupManifest::ArchiveName &&
             (item == nullptr || !reader.isRegularFile() || !staged.insert(name).second))) {
            // The archive is no longer the one that was checked.
            return Defective(BackupDefect::NotAnArchive, reader.name(), reader.error());
        }
        if (item == nullptr) {
            continue;
        }
        const std::string extracted = work.file(StagedName(name));
        if (!ExtractEntry(reader, extracted, *item, progress, position, result)) {
            return result;
        }
        if (!transaction.stage(extracted, StagedName(name), nullptr)) {
            result = Failed(Problem::CannotWriteCard);
            result.obstacle = transaction.obstacle();
            result.error = errno;
            return result;
        }
        ::unlink(extracted.c_str());
        transaction.renameOnCommit(StagedName(name), name);
    }
    if (staged.size() != manifest.items().size()) {
        return Defective(BackupDefect::MissingFile, {});
    }
    for (const std::string& name : onCard) {
        if (manifest.find(name) == nullptr) {
            transaction.removeOnCommit(name);
        }
    }
    // Past this point the change cannot be taken back by Cancel.
    progress.setCancellable(false);
    const CCardTransaction::Result committed = transaction.commit();
    result.obstacle = transaction.obstacle();
    result.error = errno;
    switch (committed) {
    case CCardTransaction::Result::Done:
        result.problem = Problem::None;
        break;
    case CCardTransaction::Result::NotCommitted:
        result.problem = Problem::CannotWriteCard;
        break;
    case CCardTransaction::Result::Pending:
        result.problem = Problem::Pending;
        break;
    case CCardTransaction::Result::Undecided:
        result.problem = Problem::Undecided;
        break;
    }
    return result;
}

} // namespace

CardBackupResult BackUpCard(const std::string& root, const std::string& archivePath,
                            const CardBackupOptions& options, IFileSystem& fs) {
    const auto finish = [&](CardBackupResult result) {
        result.card = root;
        result.archive = archivePath;
        return result;
    };
    struct stat existing {};
    if (!options.replaceExisting && ::lstat(archivePath.c_str(), &existing) == 0) {
        return finish(Failed(Problem::ArchiveExists));
    }
    CCardLock lock(fs);
    if (auto failure = Hold(root, lock, options.waiting, fs)) {
        return finish(*failure);
    }
    std::vector<std::string> names;
    if (!ListCardFiles(root, fs, names)) {
        CardBackupResult failure = Failed(Problem::CardFileUnreadable);
        failure.error = errno;
        failure.file = CardLayout::CardDirectory(root);
        return finish(failure);
    }
    if (!std::binary_search(names.begin(), names.end(), CardLayout::InformationFileName)) {
        return finish(Failed(Problem::NoCard));
    }
    std::uint64_t total = 0;
    for (const std::string& name : names) {
        struct stat status {};
        if (fs.Lstat(CardLayout::CardDirectory(root) + name, status) == 0) {
            total += static_cast<std::uint64_t>(status.st_size);
        }
    }

    UL::IProgress silent;
    CProgressSession session(
        ProgressOf(options, silent), Localized("Back Up Card"),
        Localized("Copying the card's files into {0}", {PathNames::LastPart(archivePath)}));
    UL::IProgress& progress = session.progress();
    progress.setRange(static_cast<std::int64_t>(std::max<std::uint64_t>(total, 1)));

    CArchiveFile file(archivePath, options.replaceExisting);
    if (!file.create()) {
        CardBackupResult failure = Failed(Problem::CannotWriteArchive);
        failure.error = errno;
        return finish(failure);
    }
    CTarWriter writer(file.fd());
    CBackupManifest manifest;
    std::int64_t position = 0;
    CardBackupResult result;
    for (const std::string& name : names) {
        CBackupManifest::Item item;
        const Problem problem = CopyIntoArchive(CardLayout::CardDirectory(root) + name, name,
                                                writer, fs, progress, position, item, result.error);
        if (problem != Problem::None) {
            result.problem = problem;
            result.file = CardLayout::CardDirectory(root) + name;
            result.detail = problem == Problem::CannotWriteArchive ? writer.error() : "";
            return finish(result);
        }
        manifest.add(item);
        result.bytes += item.bytes;
        ++result.files;
    }
    const std::string text = manifest.text();
    if (!writer.beginFile(CBackupManifest::ArchiveName, text.size(), ::time(nullptr)) ||
        !writer.write(text.data(), text.size()) || !writer.finish()) {
        result.problem = Problem::CannotWriteArchive;
        result.detail = writer.error();
        return finish(result);
    }
    if (progress.isCancelled()) {
        return finish(Failed(Problem::Cancelled));
    }
    if (!file.install()) {
        result.problem = errno == EEXIST ? Problem::ArchiveExists : Problem::CannotWriteArchive;
        result.error = errno;
        return finish(result);
    }
    progress.settle();
    return finish(result);
}

CardBackupResult RestoreCard(const std::string& root, const std::string& archivePath,
                             const CardBackupOptions& options, IFileSystem& fs) {
    const auto finish = [&](CardBackupResult result) {
        result.card = root;
        result.archive = archivePath;
        result.restore = true;
        return result;
    };
    CardBackupResult result;
    const int archive = OpenArchive(archivePath, result);
    if (archive < 0) {
        return finish(result);
    }
    struct ArchiveCloser {
        int fd;
        ~ArchiveCloser() { ::close(fd); }
    } closer{archive};
    struct stat status {};
    ::fstat(archive, &status);

    UL::IProgress silent;
    UL::IProgress& progress = ProgressOf(options, silent);
    const std::string title = Localized("Restore Card");
    const std::string archiveName = PathNames::LastPart(archivePath);
    std::optional<CBackupManifest> manifest;
    {
        // Closed before the question, so that nothing stands in front of it.
        CProgressSession checking(progress, title,
                                  Localized("Checking the backup {0}", {archiveName}));
        progress.setRange(std::max<std::int64_t>(status.st_size, 1));
        manifest = CBackupCheck(archive, progress).run(result);
    }
    if (!manifest) {
        return finish(result);
    }

    CCardLock lock(fs);
    if (auto failure = Hold(root, lock, options.waiting, fs)) {
        return finish(*failure);
    }
    if (options.confirmRestoring && !options.confirmRestoring(OccupiedSlots(root))) {
        return finish(Failed(Problem::Declined));
    }
    std::uint64_t total = 0;
    for (const CBackupManifest::Item& item : manifest->items()) {
        total += item.bytes;
    }
    CProgressSession restoring(progress, title,
                               Localized("Putting the backup {0} onto the card", {archiveName}));
    progress.setRange(static_cast<std::int64_t>(std::max<std::uint64_t>(total, 1)));
    result = CommitRestore(root, archive, *manifest, options, archiveName, fs, progress);
    if (result.problem == Problem::None) {
        result.files = static_cast<int>(manifest->items().size());
        result.bytes = total;
        progress.settle();
    }
    return finish(result);
}

} // namespace ZQ3

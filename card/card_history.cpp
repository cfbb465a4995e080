#include "card/card_history.h"

#include "card/card_layout.h"
#include "card/content_digest.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace ZQ3 {
namespace {

constexpr const char* ManifestName = "manifest";
constexpr const char* ManifestHeader = "zq3-history 1";
constexpr const char* UndoneMark = "undone";
constexpr const char* PendingPrefix = ".pending-";

// Whether name is one the converter keeps on a card: the information file or a channel file.
bool IsCardFileName(const std::string& name) {
    if (name == CardLayout::InformationFileName) {
        return true;
    }
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        if (name == CardLayout::LeftFileName(slot) || name == CardLayout::RightFileName(slot)) {
            return true;
        }
    }
    return false;
}

// Text on one manifest line: a byte that could end or split the line is written as %XX.
std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || c == '%' || byte == 0x7F) {
            std::array<char, 4> code{};
            std::snprintf(code.data(), code.size(), "%%%02X", byte);
            escaped += code.data();
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> Unescaped(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            plain += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 3 > text.size() ||
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr !=
                text.data() + i + 3) {
            return std::nullopt;
        }
        plain += static_cast<char>(value);
        i += 2;
    }
    return plain;
}

std::string StateText(const CardFileState& state) {
    if (!state.present) {
        return "-";
    }
    std::array<char, 48> text{};
    std::snprintf(text.data(), text.size(), "%016llx:%llu",
                  static_cast<unsigned long long>(state.digest),
                  static_cast<unsigned long long>(state.bytes));
    return text.data();
}

std::optional<CardFileState> ParseState(const std::string& text) {
    CardFileState state;
    if (text == "-") {
        return state;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    const char* end = text.data() + text.size();
    if (std::from_chars(text.data(), text.data() + colon, state.digest, 16).ptr !=
            text.data() + colon ||
        std::from_chars(text.data() + colon + 1, end, state.bytes).ptr != end) {
        return std::nullopt;
    }
    state.present = true;
    return state;
}

std::string Manifest(const HistoryEntry& entry) {
    std::string text = std::string(ManifestHeader) + "\n";
    text += "time " + std::to_string(entry.time) + "\n";
    text += "text " + Escaped(entry.description.text) + "\n";
    for (const std::string& value : entry.description.values) {
        text += "value " + Escaped(value) + "\n";
    }
    for (const ChangedFile& file : entry.files) {
        text +=
            "file " + file.name + " " + StateText(file.before) + " " + StateText(file.after) + "\n";
    }
    return text + "end\n";
}

// The entry a manifest describes, or nothing when it is torn or names anything but card files.
std::optional<HistoryEntry> ParseManifest(const std::string& bytes) {
    std::istringstream lines(bytes);
    std::string line;
    if (!std::getline(lines, line) || line != ManifestHeader) {
        return std::nullopt;
    }
    HistoryEntry entry;
    bool ended = false;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "end") {
            ended = true;
            break;
        }
        std::string first;
        words >> first;
        if (word == "time") {
            const char* end = first.data() + first.size();
            if (std::from_chars(first.data(), end, entry.time).ptr != end) {
                return std::nullopt;
            }
        } else if (word == "text" || word == "value") {
            std::optional<std::string> text = Unescaped(first);
            if (!text) {
                return std::nullopt;
            }
            (word == "text" ? entry.description.text : entry.description.values.emplace_back()) =
                std::move(*text);
        } else if (word == "file") {
            std::string before;
            std::string after;
            words >> before >> after;
            const std::optional<CardFileState> beforeState = ParseState(before);
            const std::optional<CardFileState> afterState = ParseState(after);
            if (!IsCardFileName(first) || !beforeState || !afterState) {
                return std::nullopt;
            }
            entry.files.push_back({first, *beforeState, *afterState});
        } else {
            return std::nullopt;
        }
    }
    if (!ended || entry.description.text.empty()) {
        return std::nullopt;
    }
    return entry;
}

bool SyncPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

bool WriteNewFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            ::close(fd);
            errno = error;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    const bool closed = ::close(fd) == 0;
    errno = synced ? errno : error;
    return synced && closed;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

bool MakeFolder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) {
        errno = error.value();
        return false;
    }
    return true;
}

std::uint64_t FolderBytes(const std::string& folder) {
    std::uint64_t bytes = 0;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error)) {
            bytes += it->file_size(error);
        }
    }
    return bytes;
}

std::optional<std::uint64_t> ParseLimit(const char* text) {
    if (text == nullptr || *text == '\0') {
        return CCardHistory::DefaultLimit;
    }
    const std::string value(text);
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end == value.data()) {
        return std::nullopt;
    }
    const std::string suffix(end, value.data() + value.size());
    int shift = 0;
    if (suffix == "K" || suffix == "k") {
        shift = 10;
    } else if (suffix == "M" || suffix == "m") {
        shift = 20;
    } else if (suffix == "G" || suffix == "g") {
        shift = 30;
    } else if (!suffix.empty()) {
        return std::nullopt;
    }
    return number << shift;
}

// A mount point or source as the mount table writes it: a space, tab, newline or backslash
// as a backslash and three octal digits.
std::string UnescapedMountField(const std::string& field) {
    std::string plain;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 4 <= field.size()) {
            unsigned value = 0;
            if (std::from_chars(field.data() + i + 1, field.data() + i + 4, value, 8).ptr ==
                field.data() + i + 4) {
                plain += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        plain += field[i];
    }
    return plain;
}

bool IsUnder(const std::string& path, const std::string& mountPoint) {
    if (mountPoint == "/") {
        return true;
    }
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

std::string PathKey(const std::string& path) {
    std::string key = "path-";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '.' || c == '-' || c == '_') {
            key += c;
        } else {
            std::array<char, 4> code{};
            std::snprintf(code.data(), code.size(), "%%%02X", byte);
            key += code.data();
        }
    }
    // A folder name has at most 255 bytes: a long path keeps its start and a digest of all of it.
    if (key.size() > 200) {
        CContentDigest digest;
        digest.add(path.data(), path.size());
        std::array<char, 20> suffix{};
        std::snprintf(suffix.data(), suffix.size(), "-%016llx",
                      static_cast<unsigned long long>(digest.value()));
        key = key.substr(0, 180) + suffix.data();
    }
    return key;
}

} // namespace

bool ReadCardFileState(const std::string& path, CardFileState& state, IFileSystem& fs) {
    state = {};
    const int fd = fs.Open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
    if (fd < 0) {
        return errno == ENOENT;
    }
    struct stat status {};
    if (fs.Fstat(fd, status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = S_ISREG(status.st_mode) ? errno : EINVAL;
        fs.Close(fd);
        errno = error;
        return false;
    }
    CContentDigest digest;
    std::vector<unsigned char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = fs.Read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            fs.Close(fd);
            errno = error;
            return false;
        }
        if (got == 0) {
            break;
        }
        digest.add(buffer.data(), static_cast<std::size_t>(got));
    }
    fs.Close(fd);
    state.present = true;
    state.digest = digest.value();
    state.bytes = digest.bytes();
    return true;
}

CCardHistory::CCardHistory(std::string home, std::string cardKey, std::uint64_t limit)
    : home_(std::move(home)), folder_(home_ + "/" + cardKey), limit_(limit) {}

std::optional<CCardHistory> CCardHistory::ForCard(const std::string& root) {
    const std::optional<std::uint64_t> limit = ParseLimit(std::getenv("ZQ3_HISTORY_LIMIT"));
    if (limit && *limit == 0) {
        return std::nullopt;
    }
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        data = std::string(home) + "/.local/share";
    } else {
        data = "/tmp";
    }
    const std::string mountInfo = ReadSmallFile("/proc/self/mountinfo").value_or("");
    return CCardHistory(data + "/zq3/history", CardHistoryKey(root, mountInfo, "/dev/disk/by-uuid"),
                        limit.value_or(DefaultLimit));
}

std::vector<HistoryEntry> CCardHistory::entries() const {
    std::vector<HistoryEntry> entries;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder_, error)) {
        const std::string id = item.path().filename().string();
        if (id.empty() || id[0] == '.' || !item.is_directory(error)) {
            continue;
        }
        const std::optional<std::string> bytes =
            ReadSmallFile(folder_ + "/" + id + "/" + ManifestName);
        std::optional<HistoryEntry> entry = bytes ? ParseManifest(*bytes) : std::nullopt;
        if (!entry) {
            continue;
        }
        entry->id = id;
        struct stat status {};
        entry->undone = ::lstat((folder_ + "/" + id + "/" + UndoneMark).c_str(), &status) == 0;
        entries.push_back(std::move(*entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const HistoryEntry& a, const HistoryEntry& b) { return a.id < b.id; });
    return entries;
}

std::string CCardHistory::beforeCopy(const HistoryEntry& entry, const std::string& name) const {
    return folder_ + "/" + entry.id + "/before/" + name;
}

std::string CCardHistory::afterCopy(const HistoryEntry& entry, const std::string& name) const {
    return folder_ + "/" + entry.id + "/after/" + name;
}

bool CCardHistory::markUndone(const HistoryEntry& entry, bool undone) {
    const std::string folder = folder_ + "/" + entry.id;
    const std::string mark = folder + "/" + UndoneMark;
    if (undone) {
        if (!WriteNewFile(mark, {}) && errno != EEXIST) {
            return false;
        }
    } else if (::unlink(mark.c_str()) != 0 && errno != ENOENT) {
        return false;
    }
    return SyncPath(folder);
}

std::optional<CCardHistory::CRecording> CCardHistory::record(const ChangeDescription& description) {
    if (!MakeFolder(folder_)) {
        return std::nullopt;
    }
    // The copies are the user's own sounds: for the user's eyes only.
    ::chmod(home_.c_str(), 0700);
    // What a crash left half written is no entry; it goes before the next is begun.
    std::uint64_t last = 0;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder_, error)) {
        const std::string name = item.path().filename().string();
        if (name.rfind(PendingPrefix, 0) == 0) {
            std::filesystem::remove_all(item.path(), error);
            continue;
        }
        std::uint64_t number = 0;
        if (std::from_chars(name.data(), name.data() + name.size(), number).ptr ==
            name.data() + name.size()) {
            last = std::max(last, number);
        }
    }
    if (error) {
        errno = error.value();
        return std::nullopt;
    }
    std::array<char, 24> id{};
    std::snprintf(id.data(), id.size(), "%010llu", static_cast<unsigned long long>(last + 1));
    HistoryEntry entry;
    entry.id = id.data();
    entry.time = static_cast<std::int64_t>(std::time(nullptr));
    entry.description = description;
    const std::string pending = folder_ + "/" + PendingPrefix + entry.id;
    if (!MakeFolder(pending + "/before") || !MakeFolder(pending + "/after")) {
        return std::nullopt;
    }
    return CRecording(*this, pending, std::move(entry));
}

void CCardHistory::trim(const std::string& keep) const {
    struct Kept {
        std::int64_t time;
        std::string folder;
        std::uint64_t bytes;
    };
    std::vector<Kept> all;
    std::uint64_t total = 0;
    std::error_code error;
    for (const auto& card : std::filesystem::directory_iterator(home_, error)) {
        if (!card.is_directory(error)) {
            continue;
        }
        const CCardHistory other(home_, card.path().filename().string(), limit_);
        for (const HistoryEntry& entry : other.entries()) {
            const std::string folder = other.folder() + "/" + entry.id;
            const std::uint64_t bytes = FolderBytes(folder);
            total += bytes;
            if (folder != keep) {
                all.push_back({entry.time, folder, bytes});
            }
        }
    }
    std::sort(all.begin(), all.end(), [](const Kept& a, const Kept& b) {
        return a.time != b.time ? a.time < b.time : a.folder < b.folder;
    });
    for (const Kept& oldest : all) {
        if (total <= limit_) {
            break;
        }
        std::filesystem::remove_all(oldest.folder, error);
        total -= oldest.bytes;
    }
}

CCardHistory::CRecording::CRecording(CCardHistory& history, std::string pending, HistoryEntry entry)
    : history_(&history), pending_(std::move(pending)), entry_(std::move(entry)) {}

CCardHistory::CRecording::CRecording(CRecording&& other) noexcept
    : history_(other.history_), pending_(std::move(other.pending_)),
      entry_(std::move(other.entry_)), completed_(other.completed_) {
    other.completed_ = true;
}

CCardHistory::CRecording& CCardHistory::CRecording::operator=(CRecording&& other) noexcept {
    if (this != &other) {
        if (!completed_) {
            std::error_code error;
            std::filesystem::remove_all(pending_, error);
        }
        history_ = other.history_;
        pending_ = std::move(other.pending_);
        entry_ = std::move(other.entry_);
        completed_ = other.completed_;
        other.completed_ = true;
    }
    return *this;
}

CCardHistory::CRecording::~CRecording() {
    if (!completed_) {
        std::error_code error;
        std::filesystem::remove_all(pending_, error);
    }
}

ChangedFile& CCardHistory::CRecording::fileNamed(const std::string& name) {
    for (ChangedFile& file : entry_.files) {
        if (file.name == name) {
            return file;
        }
    }
    return entry_.files.emplace_back(ChangedFile{name, {}, {}});
}

bool CCardHistory::CRecording::copy(const std::string& source, const std::string& destination,
                                    CardFileState& state, IFileSystem& fs) {
    state = {};
    const int in = fs.Open(source, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
    if (in < 0) {
        return errno == ENOENT;
    }
    struct stat status {};
    if (fs.Fstat(in, status) != 0 || !S_ISREG(status.st_mode)) {
        fs.Close(in);
        errno = EINVAL;
        return false;
    }
    const int out =
        ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) {
        const int error = errno;
        fs.Close(in);
        errno = error;
        return false;
    }
    CContentDigest digest;
    std::vector<unsigned char> buffer(1 << 16);
    bool copied = true;
    for (;;) {
        const ssize_t got = fs.Read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            copied = got == 0;
            break;
        }
        digest.add(buffer.data(), static_cast<std::size_t>(got));
        std::size_t done = 0;
        while (copied && done < static_cast<std::size_t>(got)) {
            const ssize_t written =
                ::write(out, buffer.data() + done, static_cast<std::size_t>(got) - done);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                if (written == 0) {
                    errno = ENOSPC;
                }
                copied = false;
            } else {
                done += static_cast<std::size_t>(written);
            }
        }
        if (!copied) {
            break;
        }
    }
    const int error = errno;
    fs.Close(in);
    copied = ::fsync(out) == 0 && copied;
    copied = ::close(out) == 0 && copied;
    if (!copied) {
        errno = error != 0 ? error : EIO;
        return false;
    }
    state.present = true;
    state.digest = digest.value();
    state.bytes = digest.bytes();
    return true;
}

bool CCardHistory::CRecording::addBefore(const std::string& name, const std::string& cardPath,
                                         IFileSystem& fs) {
    ChangedFile& file = fileNamed(name);
    return copy(cardPath, pending_ + "/before/" + name, file.before, fs);
}

bool CCardHistory::CRecording::addAfter(const std::string& name, const std::string& source,
                                        IFileSystem& fs) {
    ChangedFile& file = fileNamed(name);
    const std::string destination = pending_ + "/after/" + name;
    std::error_code error;
    std::filesystem::remove(destination, error);
    if (source.empty()) {
        file.after = {};
        return true;
    }
    if (!copy(source, destination, file.after, fs)) {
        return false;
    }
    if (!file.after.present) {
        // The staged file must be there: one that went is no state to redo.
        errno = ENOENT;
        return false;
    }
    return true;
}

bool CCardHistory::CRecording::flush() {
    return WriteNewFile(pending_ + "/" + ManifestName, Manifest(entry_)) &&
           SyncPath(pending_ + "/before") && SyncPath(pending_ + "/after") && SyncPath(pending_);
}

bool CCardHistory::CRecording::complete() {
    const std::string folder = history_->folder_ + "/" + entry_.id;
    if (::rename(pending_.c_str(), folder.c_str()) != 0) {
        return false;
    }
    completed_ = true;
    SyncPath(history_->folder_);
    std::error_code error;
    for (const HistoryEntry& entry : history_->entries()) {
        if (entry.undone) {
            std::filesystem::remove_all(history_->folder_ + "/" + entry.id, error);
        }
    }
    history_->trim(folder);
    return true;
}

std::string CardHistoryKey(const std::string& root, const std::string& mountInfo,
                           const std::string& byUuid) {
    std::error_code error;
    std::string path = std::filesystem::weakly_canonical(root, error).string();
    if (error || path.empty()) {
        path = root;
    }
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    // The mount that holds the card: the longest mount point the path lies under.
    std::string bestPoint;
    std::string bestSource;
    unsigned major = 0;
    unsigned minor = 0;
    bool found = false;
    std::istringstream lines(mountInfo);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) {
            words.push_back(word);
        }
        const auto separator = std::find(words.begin(), words.end(), "-");
        if (words.size() < 5 || separator == words.end() || words.end() - separator < 3) {
            continue;
        }
        const std::string point = UnescapedMountField(words[4]);
        if (!IsUnder(path, point) || (found && point.size() < bestPoint.size())) {
            continue;
        }
        const std::string& device = words[2];
        const std::size_t colon = device.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        unsigned deviceMajor = 0;
        unsigned deviceMinor = 0;
        std::from_chars(device.data(), device.data() + colon, deviceMajor);
        std::from_chars(device.data() + colon + 1, device.data() + device.size(), deviceMinor);
        bestPoint = point;
        bestSource = UnescapedMountField(*(separator + 2));
        major = deviceMajor;
        minor = deviceMinor;
        found = true;
    }
    if (found) {
        const std::string source = std::filesystem::weakly_canonical(bestSource, error).string();
        for (const auto& link : std::filesystem::directory_iterator(byUuid, error)) {
            struct stat status {};
            const std::string linkPath = link.path().string();
            const bool sameDevice = ::stat(linkPath.c_str(), &status) == 0 &&
                                    S_ISBLK(status.st_mode) && major != 0 &&
                                    status.st_rdev == makedev(major, minor);
            std::error_code linkError;
            const std::string target =
                std::filesystem::weakly_canonical(link.path(), linkError).string();
            if (sameDevice || (!linkError && !source.empty() && target == source)) {
                std::string key = PathKey(link.path().filename().string()).replace(0, 5, "uuid-");
                // A folder below the file system's root (a card copied onto a computer's disk)
                // is not the only one on it: its place on the file system is part of its name.
                if (bestPoint != "/" && path.size() > bestPoint.size()) {
                    key += "-" + PathKey(path.substr(bestPoint.size())).substr(5);
                } else if (bestPoint == "/" && path != "/") {
                    key += "-" + PathKey(path).substr(5);
                }
                return key.size() > 200 ? PathKey(key) : key;
            }
        }
    }
    return PathKey(path);
}

} // namespace ZQ3

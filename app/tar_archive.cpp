#include "app/tar_archive.h"

#include <archive.h>
#include <archive_entry.h>

namespace ZQ3 {
namespace {

std::string ErrorOf(archive* archive) {
    const char* text = archive != nullptr ? archive_error_string(archive) : nullptr;
    return text != nullptr ? text : "";
}

} // namespace

CTarWriter::CTarWriter(int fd) : archive_(archive_write_new()), entry_(archive_entry_new()) {
    failed_ = archive_ == nullptr || entry_ == nullptr ||
              archive_write_set_format_ustar(archive_) != ARCHIVE_OK ||
              // One block of 512 bytes at the end, not libarchive's padding to 10 KiB.
              archive_write_set_bytes_in_last_block(archive_, 1) != ARCHIVE_OK ||
              archive_write_open_fd(archive_, fd) != ARCHIVE_OK;
}

CTarWriter::~CTarWriter() {
    if (entry_ != nullptr) {
        archive_entry_free(entry_);
    }
    if (archive_ != nullptr) {
        archive_write_free(archive_);
    }
}

bool CTarWriter::beginFile(const std::string& name, std::uint64_t bytes, std::time_t modified) {
    if (failed_) {
        return false;
    }
    archive_entry_clear(entry_);
    archive_entry_set_pathname(entry_, name.c_str());
    archive_entry_set_filetype(entry_, AE_IFREG);
    archive_entry_set_perm(entry_, 0644);
    archive_entry_set_size(entry_, static_cast<la_int64_t>(bytes));
    archive_entry_set_mtime(entry_, modified, 0);
    failed_ = archive_write_header(archive_, entry_) != ARCHIVE_OK;
    return !failed_;
}

bool CTarWriter::write(const void* data, std::size_t size) {
    if (failed_) {
        return false;
    }
    const la_ssize_t written = archive_write_data(archive_, data, size);
    failed_ = written < 0 || static_cast<std::size_t>(written) != size;
    return !failed_;
}

bool CTarWriter::finish() {
    if (failed_) {
        return false;
    }
    failed_ = archive_write_close(archive_) != ARCHIVE_OK;
    return !failed_;
}

std::string CTarWriter::error() const {
    return ErrorOf(archive_);
}

CTarReader::CTarReader(int fd) : archive_(archive_read_new()) {
    // Tar alone, uncompressed: anything else is not a backup.
    if (archive_ != nullptr && (archive_read_support_format_tar(archive_) != ARCHIVE_OK ||
                                archive_read_open_fd(archive_, fd, 64 * 1024) != ARCHIVE_OK)) {
        archive_read_free(archive_);
        archive_ = nullptr;
    }
}

CTarReader::~CTarReader() {
    if (archive_ != nullptr) {
        archive_read_free(archive_);
    }
}

CTarReader::Next CTarReader::next() {
    name_.clear();
    regular_ = false;
    size_ = -1;
    if (archive_ == nullptr) {
        return Next::Damaged;
    }
    archive_entry* entry = nullptr;
    switch (archive_read_next_header(archive_, &entry)) {
    case ARCHIVE_OK:
        break;
    case ARCHIVE_EOF:
        return Next::End;
    default:
        return Next::Damaged;
    }
    const char* name = archive_entry_pathname(entry);
    name_ = name != nullptr ? name : "";
    regular_ = archive_entry_filetype(entry) == AE_IFREG &&
               archive_entry_hardlink(entry) == nullptr && archive_entry_symlink(entry) == nullptr;
    size_ = archive_entry_size_is_set(entry) != 0 ? archive_entry_size(entry) : -1;
    return Next::Entry;
}

ssize_t CTarReader::read(void* data, std::size_t size) {
    if (archive_ == nullptr) {
        return -1;
    }
    const la_ssize_t got = archive_read_data(archive_, data, size);
    return got < 0 ? -1 : static_cast<ssize_t>(got);
}

std::int64_t CTarReader::position() const {
    return archive_ != nullptr ? archive_filter_bytes(archive_, -1) : 0;
}

std::string CTarReader::error() const {
    return ErrorOf(archive_);
}

} // namespace ZQ3

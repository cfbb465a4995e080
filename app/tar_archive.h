#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>

struct archive;
struct archive_entry;

namespace ZQ3 {

// A plain tar archive written to an open file, one regular file after another.
class CTarWriter {
public:
    // fd stays the caller's: it is neither flushed nor closed here.
    explicit CTarWriter(int fd);
    ~CTarWriter();
    CTarWriter(const CTarWriter&) = delete;
    CTarWriter& operator=(const CTarWriter&) = delete;

    // Starts a regular file of bytes bytes at name; its data follows through write.
    bool beginFile(const std::string& name, std::uint64_t bytes, std::time_t modified);
    bool write(const void* data, std::size_t size);
    // Writes the archive's end; false when it or anything before did not reach the file.
    bool finish();
    // What libarchive said of the last failure.
    std::string error() const;

private:
    archive* archive_ = nullptr;
    archive_entry* entry_ = nullptr;
    bool failed_ = false;
};

// A tar archive read from an open file, entry by entry. The headers are parsed by libarchive;
// what they claim is the caller's to judge.
class CTarReader {
public:
    explicit CTarReader(int fd);
    ~CTarReader();
    CTarReader(const CTarReader&) = delete;
    CTarReader& operator=(const CTarReader&) = delete;

    enum class Next { Entry, End, Damaged };
    Next next();

    // Of the entry next() found.
    const std::string& name() const { return name_; }
    // A regular file, not a link to another entry or anything else.
    bool isRegularFile() const { return regular_; }
    // The size its header gives; -1 when it gives none.
    std::int64_t size() const { return size_; }

    // Up to size bytes of the entry's data: 0 at its end, -1 when the archive is damaged.
    ssize_t read(void* data, std::size_t size);
    // Bytes of the archive file consumed so far.
    std::int64_t position() const;
    std::string error() const;

private:
    archive* archive_ = nullptr;
    std::string name_;
    bool regular_ = false;
    std::int64_t size_ = -1;
};

} // namespace ZQ3

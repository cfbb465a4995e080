#pragma once

#include "card/sample_entry.h"
#include "gt/endianed.h"
#include "sl/files/dto.h"
#include "sl/files/open_failure.h"
#include "sl/files/streamable.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ZQ3 {

// The fields of a record, in file order.
enum class SampleInformationField {
    RangeBegin,
    RangeEnd,
    FrameCount,
    Lofi,
    Stereo,
    Option14,
    Flag15,
    Flag16,
    Option17,
    Tempo,
    Option20,
    Tempo2,
};

// Where the field starts within its 23-byte record.
int SampleInformationFieldOffset(SampleInformationField field);

// One 23-byte record of the sample-information file, field by field. The file is never read
// or written as a structure image: the 16-bit field at offset 21 is not aligned.
struct SampleInformationRecord {
    std::uint32_t rangeBegin = 0xFFFFFFFF;
    std::uint32_t rangeEnd = 0xFFFFFFFF;
    std::uint32_t frameCount = 0xFFFFFFFF;
    std::uint8_t lofi = 0xFF;
    std::uint8_t stereo = 0xFF;
    std::uint8_t option14 = 0xFF;
    std::uint8_t flag15 = 0xFF;
    std::uint8_t flag16 = 0xFF;
    std::uint8_t option17 = 0xFF;
    std::uint16_t tempo = 0xFFFF;
    std::uint8_t option20 = 0xFF;
    std::uint16_t tempo2 = 0xFFFF;

    static constexpr std::size_t Size = 23;

    // A field at its all-ones value marks an unwritten or damaged record.
    bool IsValid() const { return !FirstInvalidField().has_value(); }
    // The first field, in file order, at its all-ones value.
    std::optional<SampleInformationField> FirstInvalidField() const;

    static SampleInformationRecord FromEntry(const SampleEntry& entry);
    SampleEntry ToEntry() const;

    friend bool operator==(const SampleInformationRecord&,
                           const SampleInformationRecord&) = default;
};

// The sample-information file of a card: 128 big-endian records, one per slot.
class CSampleInformationDto : public GT::CEndianed, public SL::IDto, public SL::IStreamable {
public:
    static constexpr std::size_t RecordCount = 128;
    static constexpr std::size_t FileSize = RecordCount * SampleInformationRecord::Size;

    CSampleInformationDto();

    bool IsValid() const override { return true; }

    // Replaces the records with the 128 read; on failure the previous records stay.
    bool Read(std::istream& input) override;
    // The record a failed Read stopped at, by its index in the file; nothing after a Read that
    // succeeded.
    std::optional<std::size_t> InvalidRecordIndex() const { return invalidIndex_; }
    // That record as far as it was read: fields past the end of the input stay all-ones.
    const SampleInformationRecord& InvalidRecord() const { return invalidRecord_; }
    bool Write(std::ostream& output) override;
    // Every record the input holds, up to 128, each as read whether it is valid or not; a record
    // the input ends inside keeps its unread fields at all-ones. For judging a damaged file
    // record by record; the DTO's own records are left alone.
    std::vector<SampleInformationRecord> ReadEachRecord(std::istream& input) const;

    const std::vector<SampleInformationRecord>& Records() const { return records_; }

    // Valid when it has no records, or exactly 128 valid ones.
    bool HoldsValidRecords() const;

    // The DTO for entries, or nothing when an entry would give an invalid record.
    static std::optional<CSampleInformationDto>
    FromEntries(const std::vector<SampleEntry>& entries);
    // The 128 entries of the records, or nothing unless exactly 128 are held.
    std::optional<std::vector<SampleEntry>> ToEntries() const;

private:
    bool ReadRecord(std::istream& input, SampleInformationRecord& record) const;
    void WriteRecord(std::ostream& output, const SampleInformationRecord& record) const;

    std::vector<SampleInformationRecord> records_;
    std::optional<std::size_t> invalidIndex_;
    SampleInformationRecord invalidRecord_;
};

// The file at path, as entries; nothing when it cannot be opened (it must be a regular file, not
// a link) or does not read validly.
std::optional<std::vector<SampleEntry>> ReadSampleInformationFile(const std::string& path);

// What reading an information file gave: its entries, or why there are none, so that a folder
// refused as a card can be told what is wrong with it.
struct SampleInformationReading {
    enum class Problem {
        None,
        // The file could not be opened; see openFailure.
        CannotOpen,
        // A symbolic link is at the file's name; it is never followed.
        SymbolicLink,
        // The file could not be read to its end although it is long enough.
        ReadFailed,
        // Shorter than 128 records; size is what it holds.
        TooShort,
        // The record of slot has field at its all-ones value.
        InvalidRecord,
    };

    std::optional<std::vector<SampleEntry>> entries;
    Problem problem = Problem::None;
    SL::COpenFailure openFailure;
    std::uint64_t size = 0;
    int slot = -1;
    SampleInformationField field = SampleInformationField::RangeBegin;
};

// ReadSampleInformationFile with the reason for a file that does not read.
SampleInformationReading ReadSampleInformationFileWithReason(const std::string& path);
// Creates a complete new file at path; false when the entries are not all valid, when the name
// is already taken (by a file or a link: nothing is overwritten) or when the write fails.
bool WriteSampleInformationFile(const std::string& path, const std::vector<SampleEntry>& entries);

} // namespace ZQ3

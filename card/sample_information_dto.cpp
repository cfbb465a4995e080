#include "card/sample_information_dto.h"

#include "card/card_obstacle.h"
#include "sl/files/file_data_source.h"
#include "sl/files/stream_extent.h"

#include <bit>
#include <cerrno>
#include <sstream>

namespace ZQ3 {
namespace {

template <typename T>
T SwapBytes(T value) {
    if constexpr (sizeof(T) == 2) {
        return static_cast<T>((value >> 8) | (value << 8));
    } else {
        return __builtin_bswap32(value);
    }
}

} // namespace

int SampleInformationFieldOffset(SampleInformationField field) {
    constexpr int Offsets[] = {0, 4, 8, 12, 13, 14, 15, 16, 17, 18, 20, 21};
    return Offsets[static_cast<int>(field)];
}

std::optional<SampleInformationField> SampleInformationRecord::FirstInvalidField() const {
    using Field = SampleInformationField;
    const std::pair<bool, Field> fields[] = {
        {rangeBegin == 0xFFFFFFFF, Field::RangeBegin},
        {rangeEnd == 0xFFFFFFFF, Field::RangeEnd},
        {frameCount == 0xFFFFFFFF, Field::FrameCount},
        {lofi == 0xFF, Field::Lofi},
        {stereo == 0xFF, Field::Stereo},
        {option14 == 0xFF, Field::Option14},
        {flag15 == 0xFF, Field::Flag15},
        {flag16 == 0xFF, Field::Flag16},
        {option17 == 0xFF, Field::Option17},
        {tempo == 0xFFFF, Field::Tempo},
        {option20 == 0xFF, Field::Option20},
        {tempo2 == 0xFFFF, Field::Tempo2},
    };
    for (const auto& [allOnes, field] : fields) {
        if (allOnes) {
            return field;
        }
    }
    return std::nullopt;
}

SampleInformationRecord SampleInformationRecord::FromEntry(const SampleEntry& entry) {
    SampleInformationRecord record;
    record.rangeBegin = static_cast<std::uint32_t>(entry.rangeBegin);
    record.rangeEnd = static_cast<std::uint32_t>(entry.rangeEnd);
    record.frameCount = static_cast<std::uint32_t>(entry.frameCount);
    record.lofi = static_cast<std::uint8_t>(entry.lofi);
    record.stereo = entry.stereo ? 1 : 0;
    record.option14 = static_cast<std::uint8_t>(entry.option14);
    record.flag15 = entry.flag15 ? 1 : 0;
    record.flag16 = entry.flag16 ? 1 : 0;
    record.option17 = static_cast<std::uint8_t>(entry.option17);
    record.tempo = static_cast<std::uint16_t>(entry.tempo);
    record.option20 = static_cast<std::uint8_t>(entry.option20);
    record.tempo2 = static_cast<std::uint16_t>(entry.tempo2);
    return record;
}

SampleEntry SampleInformationRecord::ToEntry() const {
    SampleEntry entry;
    entry.rangeBegin = static_cast<std::int32_t>(rangeBegin);
    entry.rangeEnd = static_cast<std::int32_t>(rangeEnd);
    entry.frameCount = static_cast<std::int32_t>(frameCount);
    entry.lofi = lofi;
    entry.stereo = stereo != 0;
    entry.option14 = option14;
    entry.flag15 = flag15 != 0;
    entry.flag16 = flag16 != 0;
    entry.option17 = option17;
    entry.tempo = tempo;
    entry.option20 = option20;
    entry.tempo2 = tempo2;
    return entry;
}

CSampleInformationDto::CSampleInformationDto() : GT::CEndianed(GT::CEndianness::BigEndian) {}

std::vector<SampleInformationRecord>
CSampleInformationDto::ReadEachRecord(std::istream& input) const {
    std::vector<SampleInformationRecord> records;
    while (records.size() < RecordCount && input.peek() != std::char_traits<char>::eof()) {
        records.emplace_back();
        ReadRecord(input, records.back());
    }
    return records;
}

bool CSampleInformationDto::ReadRecord(std::istream& input, SampleInformationRecord& record) const {
    // Each field is one raw read; a read that fails leaves the field at all-ones, so a file
    // that ends inside a record gives an invalid record.
    auto readWide = [&](auto& field) {
        auto value = field;
        input.read(reinterpret_cast<char*>(&value), sizeof value);
        if (input.good()) {
            field = NeedsSwap() ? SwapBytes(value) : value;
        }
    };
    auto readByte = [&](std::uint8_t& field) {
        char byte;
        if (input.read(&byte, 1)) {
            field = static_cast<std::uint8_t>(byte);
        }
    };
    readWide(record.rangeBegin);
    readWide(record.rangeEnd);
    readWide(record.frameCount);
    readByte(record.lofi);
    readByte(record.stereo);
    readByte(record.option14);
    readByte(record.flag15);
    readByte(record.flag16);
    readByte(record.option17);
    readWide(record.tempo);
    readByte(record.option20);
    readWide(record.tempo2);
    return record.IsValid();
}

bool CSampleInformationDto::Read(std::istream& input) {
    std::vector<SampleInformationRecord> work;
    work.reserve(RecordCount);
    invalidIndex_.reset();
    while (input.good() && work.size() < RecordCount) {
        work.emplace_back();
        if (!ReadRecord(input, work.back())) {
            invalidIndex_ = work.size() - 1;
            invalidRecord_ = work.back();
            return false;
        }
    }
    if (work.size() != RecordCount) {
        invalidIndex_ = work.size();
        invalidRecord_ = SampleInformationRecord();
        return false;
    }
    records_ = std::move(work);
    return true;
}

void CSampleInformationDto::WriteRecord(std::ostream& output,
                                        const SampleInformationRecord& record) const {
    auto writeWide = [&](auto value) {
        value = NeedsSwap() ? SwapBytes(value) : value;
        output.write(reinterpret_cast<const char*>(&value), sizeof value);
    };
    auto writeByte = [&](std::uint8_t value) {
        output.write(reinterpret_cast<const char*>(&value), 1);
    };
    writeWide(record.rangeBegin);
    writeWide(record.rangeEnd);
    writeWide(record.frameCount);
    writeByte(record.lofi);
    writeByte(record.stereo);
    writeByte(record.option14);
    writeByte(record.flag15);
    writeByte(record.flag16);
    writeByte(record.option17);
    writeWide(record.tempo);
    writeByte(record.option20);
    writeWide(record.tempo2);
}

bool CSampleInformationDto::Write(std::ostream& output) {
    for (const auto& record : records_) {
        if (!output.good()) {
            break;
        }
        WriteRecord(output, record);
    }
    if (output.good()) {
        output.flush();
    }
    return !output.fail();
}

bool CSampleInformationDto::HoldsValidRecords() const {
    if (records_.empty()) {
        return true;
    }
    if (records_.size() != RecordCount) {
        return false;
    }
    for (const auto& record : records_) {
        if (!record.IsValid()) {
            return false;
        }
    }
    return true;
}

std::optional<CSampleInformationDto>
CSampleInformationDto::FromEntries(const std::vector<SampleEntry>& entries) {
    CSampleInformationDto dto;
    dto.records_.reserve(entries.size());
    for (const auto& entry : entries) {
        dto.records_.push_back(SampleInformationRecord::FromEntry(entry));
    }
    if (!dto.HoldsValidRecords()) {
        return std::nullopt;
    }
    return dto;
}

std::optional<std::vector<SampleEntry>> CSampleInformationDto::ToEntries() const {
    if (records_.size() != RecordCount) {
        return std::nullopt;
    }
    std::vector<SampleEntry> entries;
    entries.reserve(RecordCount);
    for (const auto& record : records_) {
        entries.push_back(record.ToEntry());
    }
    return entries;
}

std::optional<std::vector<SampleEntry>> ReadSampleInformationFile(const std::string& path) {
    return ReadSampleInformationFileWithReason(path).entries;
}

SampleInformationReading ReadSampleInformationFileWithReason(const std::string& path) {
    using Problem = SampleInformationReading::Problem;
    SampleInformationReading reading;
    const std::shared_ptr<std::istream> input = OpenCardFileForReading(path);
    if (!input) {
        if (errno == ELOOP) {
            reading.problem = Problem::SymbolicLink;
            return reading;
        }
        reading.problem = Problem::CannotOpen;
        reading.openFailure = SL::ExplainOpenFailure(path);
        return reading;
    }
    // The records are read from memory, so that a short file is told apart from a damaged one
    // before any record is judged. Bytes after the 128th record are never read.
    std::string bytes(CSampleInformationDto::FileSize, '\0');
    input->read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(input->gcount());
    if (got < bytes.size()) {
        input->clear();
        const std::int64_t end = SL::GetInputEnd(*input);
        if (end >= 0 && static_cast<std::uint64_t>(end) < bytes.size()) {
            reading.problem = Problem::TooShort;
            reading.size = static_cast<std::uint64_t>(end);
        } else {
            reading.problem = Problem::ReadFailed;
        }
        return reading;
    }
    std::istringstream records(bytes);
    CSampleInformationDto dto;
    if (!dto.Read(records)) {
        reading.problem = Problem::InvalidRecord;
        reading.slot = static_cast<int>(dto.InvalidRecordIndex().value_or(0));
        reading.field =
            dto.InvalidRecord().FirstInvalidField().value_or(SampleInformationField::RangeBegin);
        return reading;
    }
    reading.entries = dto.ToEntries();
    return reading;
}

bool WriteSampleInformationFile(const std::string& path, const std::vector<SampleEntry>& entries) {
    auto dto = CSampleInformationDto::FromEntries(entries);
    if (!dto) {
        return false;
    }
    const std::shared_ptr<SL::CDescriptorStream> output =
        SL::CFileDataSource(path, SL::CFileAccess::CreateNew).Open();
    if (!output) {
        return false;
    }
    if (!dto->Write(*output)) {
        return false;
    }
    output->close();
    return !output->fail();
}

} // namespace ZQ3

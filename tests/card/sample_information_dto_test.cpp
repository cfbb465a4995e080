#include "card/sample_information_dto.h"
#include "tests/support/fifo.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace ZQ3 {
namespace {

const std::string DefaultRecordBytes("\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
                                     "\x00\x00\x00\x00\x00\x7F\x03\xFC\x00\x03\xFC",
                                     23);

std::string WriteEntries(const std::vector<SampleEntry>& entries) {
    auto dto = CSampleInformationDto::FromEntries(entries);
    EXPECT_TRUE(dto.has_value());
    std::ostringstream output;
    EXPECT_TRUE(dto->Write(output));
    return output.str();
}

std::optional<std::vector<SampleEntry>> ReadEntries(const std::string& bytes) {
    std::istringstream input(bytes);
    CSampleInformationDto dto;
    if (!dto.Read(input)) {
        return std::nullopt;
    }
    return dto.ToEntries();
}

TEST(SampleInformationWrite, DefaultEntriesGiveTheEmptySlotRecord) {
    const std::string bytes = WriteEntries(std::vector<SampleEntry>(128));
    ASSERT_EQ(bytes.size(), 2944u);
    for (std::size_t record = 0; record < 128; ++record) {
        EXPECT_EQ(bytes.substr(record * 23, 23), DefaultRecordBytes) << record;
    }
}

TEST(SampleInformationWrite, FieldsAreBigEndianAtTheirOffsets) {
    std::vector<SampleEntry> entries(128);
    SampleEntry& entry = entries[5];
    entry.rangeBegin = 0x01020304;
    entry.rangeEnd = 0x05060708;
    entry.frameCount = 0x090A0B0C;
    entry.lofi = 1;
    entry.stereo = true;
    entry.option14 = 257; // truncated to its low byte
    entry.flag15 = true;
    entry.flag16 = false;
    entry.option17 = 0x42;
    entry.tempo = 0x1234;
    entry.option20 = 0x56;
    entry.tempo2 = 0x10789A; // truncated to its low 16 bits
    const std::string bytes = WriteEntries(entries);
    EXPECT_EQ(bytes.substr(5 * 23, 23),
              std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C"
                          "\x01\x01\x01\x01\x00\x42\x12\x34\x56\x78\x9A",
                          23));
}

TEST(SampleInformationWrite, AnEntryGivingAnInvalidRecordGivesNoFile) {
    std::vector<SampleEntry> entries(128);
    entries[3].option17 = 255;
    EXPECT_FALSE(CSampleInformationDto::FromEntries(entries).has_value());
    entries[3].option17 = 127;
    entries[100].frameCount = -1;
    EXPECT_FALSE(CSampleInformationDto::FromEntries(entries).has_value());
    // Neither a short nor a long table is a card.
    EXPECT_FALSE(CSampleInformationDto::FromEntries(std::vector<SampleEntry>(127)).has_value());
    EXPECT_TRUE(CSampleInformationDto::FromEntries({}).has_value());
}

TEST(SampleInformationWrite, AStreamThatFailsGivesFalse) {
    auto dto = CSampleInformationDto::FromEntries(std::vector<SampleEntry>(128));
    std::ostringstream output;
    output.setstate(std::ios::badbit);
    EXPECT_FALSE(dto->Write(output));
}

TEST(SampleInformationRead, ZeroFileIsValidAndKeepsItsZeros) {
    const std::string zeros(2944, '\0');
    auto entries = ReadEntries(zeros);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 128u);
    EXPECT_EQ((*entries)[0].option17, 0);
    EXPECT_EQ((*entries)[0].tempo, 0);
    EXPECT_EQ((*entries)[127].tempo2, 0);
    EXPECT_EQ(WriteEntries(*entries), zeros);
}

TEST(SampleInformationRead, RoundTripOfEveryFieldValue) {
    std::vector<SampleEntry> entries(128);
    for (int slot = 0; slot < 128; ++slot) {
        SampleEntry& entry = entries[static_cast<std::size_t>(slot)];
        entry.rangeBegin = slot * 3;
        entry.rangeEnd = slot * 1000 + 7;
        entry.frameCount = slot * 1000 + 7;
        entry.lofi = slot % 3;
        entry.stereo = slot % 2 == 1;
        entry.option14 = slot % 5;
        entry.flag15 = slot % 7 == 0;
        entry.flag16 = slot % 11 == 0;
        entry.option17 = slot;
        entry.tempo = 600 + slot;
        entry.option20 = 254 - slot;
        entry.tempo2 = 65534 - slot;
    }
    EXPECT_EQ(ReadEntries(WriteEntries(entries)), entries);
}

TEST(SampleInformationRead, LengthRules) {
    const std::string file = WriteEntries(std::vector<SampleEntry>(128));
    EXPECT_FALSE(ReadEntries(file.substr(0, 2943)).has_value());
    EXPECT_FALSE(ReadEntries(file.substr(0, 23 * 127)).has_value());
    EXPECT_FALSE(ReadEntries("").has_value());
    // Bytes after the 128th record are never read, whatever they hold.
    EXPECT_TRUE(ReadEntries(file + std::string(56, '\xFF')).has_value());
}

TEST(SampleInformationRead, AnyFieldAtAllOnesMakesTheFileUnreadable) {
    const std::string file(2944, '\0');
    // (offset, width) of the twelve fields of a record.
    const std::pair<int, int> fields[] = {{0, 4},  {4, 4},  {8, 4},  {12, 1}, {13, 1}, {14, 1},
                                          {15, 1}, {16, 1}, {17, 1}, {18, 2}, {20, 1}, {21, 2}};
    for (const auto& [offset, width] : fields) {
        for (const int record : {0, 77, 127}) {
            std::string damaged = file;
            const auto at = static_cast<std::size_t>(record * 23 + offset);
            const auto length = static_cast<std::size_t>(width);
            damaged.replace(at, length, std::string(length, '\xFF'));
            EXPECT_FALSE(ReadEntries(damaged).has_value()) << "offset " << offset;
            // The reader tells which record and which field stopped it.
            CSampleInformationDto dto;
            std::istringstream input(damaged);
            ASSERT_FALSE(dto.Read(input));
            EXPECT_EQ(dto.InvalidRecordIndex(), std::optional<std::size_t>(record));
            const auto field = dto.InvalidRecord().FirstInvalidField();
            ASSERT_TRUE(field.has_value());
            EXPECT_EQ(SampleInformationFieldOffset(*field), offset);
            // One byte short of all-ones is an ordinary value.
            damaged[at] = '\xFE';
            EXPECT_TRUE(ReadEntries(damaged).has_value()) << "offset " << offset;
        }
    }
}

TEST(SampleInformationRead, AFailedReadKeepsThePreviousRecords) {
    CSampleInformationDto dto;
    std::istringstream good(std::string(2944, '\0'));
    ASSERT_TRUE(dto.Read(good));
    std::istringstream bad(std::string(2944, '\xFF'));
    EXPECT_FALSE(dto.Read(bad));
    EXPECT_EQ(dto.Records().size(), 128u);
    EXPECT_EQ(dto.Records()[0].frameCount, 0u);
}

TEST(SampleInformationFile, WriteThenReadAtAPath) {
    Fixture::TemporaryDirectory directory;
    std::vector<SampleEntry> entries(128);
    entries[0x15].frameCount = 3104;
    entries[0x15].stereo = true;
    const std::string path = directory / "WVCINFO0.ZQD";
    ASSERT_TRUE(WriteSampleInformationFile(path, entries));
    EXPECT_EQ(Fixture::ReadFileBytes(path).size(), 2944u);
    EXPECT_EQ(ReadSampleInformationFile(path), entries);
}

TEST(SampleInformationFile, WritingNeverReplacesNorFollowsALink) {
    Fixture::TemporaryDirectory directory;
    const std::string existing = directory / "WVCINFO0.ZQD";
    const std::string target = directory / "elsewhere";
    const std::string link = directory / "link";
    Fixture::WriteFileBytes(existing, std::string(5000, '\x01'));
    Fixture::WriteFileBytes(target, "target");
    std::filesystem::create_symlink(target, link);
    const std::vector<SampleEntry> entries(128);
    EXPECT_FALSE(WriteSampleInformationFile(existing, entries));
    EXPECT_FALSE(WriteSampleInformationFile(link, entries));
    EXPECT_EQ(Fixture::ReadFileBytes(existing), std::string(5000, '\x01'));
    EXPECT_EQ(Fixture::ReadFileBytes(target), "target");
}

TEST(SampleInformationFile, AFifoFailsToReadAtOnce) {
    Fixture::TemporaryDirectory directory;
    const std::string fifo = directory / "WVCINFO0.ZQD";
    ASSERT_TRUE(Fixture::MakeFifo(fifo));
    const auto readFifo = [&] { EXPECT_FALSE(ReadSampleInformationFile(fifo).has_value()); };
    EXPECT_TRUE(Fixture::ReturnsPromptly(fifo, readFifo));
}

TEST(SampleInformationFile, AFileThatDoesNotReadSaysWhy) {
    using Problem = SampleInformationReading::Problem;
    using CReason = SL::COpenFailure::CReason;
    Fixture::TemporaryDirectory directory;
    const std::string good = WriteEntries(std::vector<SampleEntry>(128));
    std::string lateTempo = good;
    lateTempo.replace(127 * 23 + 21, 2, "\xFF\xFF");
    std::string badFrameCount = good;
    badFrameCount.replace(0x15 * 23 + 8, 4, "\xFF\xFF\xFF\xFF");
    // A damaged record after a short file's end is no reason of its own: the size is.
    const std::string shortAndDamaged = badFrameCount.substr(0, 2943);
    const struct {
        const char* name;
        std::optional<std::string> bytes; // nothing: no file at all
        Problem problem;
        std::uint64_t size;
        int slot;
        SampleInformationField field;
    } cases[] = {
        {"missing", std::nullopt, Problem::CannotOpen, 0, -1, SampleInformationField::RangeBegin},
        {"empty", std::string(), Problem::TooShort, 0, -1, SampleInformationField::RangeBegin},
        {"one byte short", good.substr(0, 2943), Problem::TooShort, 2943, -1,
         SampleInformationField::RangeBegin},
        {"short and damaged", shortAndDamaged, Problem::TooShort, 2943, -1,
         SampleInformationField::RangeBegin},
        {"frame count of D5", badFrameCount, Problem::InvalidRecord, 0, 0x15,
         SampleInformationField::FrameCount},
        {"second tempo of J15", lateTempo, Problem::InvalidRecord, 0, 127,
         SampleInformationField::Tempo2},
        {"longer than needed", good + "tail", Problem::None, 0, -1,
         SampleInformationField::RangeBegin},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = directory / c.name;
        if (c.bytes) {
            Fixture::WriteFileBytes(path, *c.bytes);
        }
        const SampleInformationReading reading = ReadSampleInformationFileWithReason(path);
        EXPECT_EQ(reading.problem, c.problem);
        EXPECT_EQ(reading.entries.has_value(), c.problem == Problem::None);
        if (c.problem == Problem::TooShort) {
            EXPECT_EQ(reading.size, c.size);
        }
        if (c.problem == Problem::InvalidRecord) {
            EXPECT_EQ(reading.slot, c.slot);
            EXPECT_EQ(reading.field, c.field);
        }
    }
    const SampleInformationReading missing =
        ReadSampleInformationFileWithReason(directory / "missing");
    EXPECT_EQ(missing.openFailure.reason, CReason::NoSuchFile);
    const SampleInformationReading folder = ReadSampleInformationFileWithReason(directory.path());
    EXPECT_EQ(folder.openFailure.reason, CReason::NotRegularFile);
    EXPECT_EQ(folder.openFailure.kind, SL::CFileKind::Directory);
}

TEST(SampleInformationFile, MissingOrUnwritablePaths) {
    Fixture::TemporaryDirectory directory;
    EXPECT_FALSE(ReadSampleInformationFile(directory / "missing").has_value());
    EXPECT_FALSE(ReadSampleInformationFile(directory.path()).has_value());
    EXPECT_FALSE(
        WriteSampleInformationFile(directory / "no/such/dir/file", std::vector<SampleEntry>(128)));
}

} // namespace
} // namespace ZQ3

// The export's write-behind file: its bytes land where they were put, through seeks and across
// blocks, while another thread flushes the growing file; a write or flush that fails fails the
// file. Runs under ThreadSanitizer.

#include "app/write_behind.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>

namespace ZQ3 {
namespace {

// Bytes that differ from block to block, so that a block written at the wrong place shows.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 4093) % 251);
    }
    return bytes;
}

int OpenNew(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
}

class WriteBehindTest : public ::testing::Test {
protected:
    Fixture::TemporaryDirectory directory_;
    const std::string path_ = directory_ / "export.wav";
    std::atomic<int> flushes_{0};
    CWriteBehindBuffer::Flush counting_ = [this](int) {
        ++flushes_;
        return 0;
    };
};

TEST_F(WriteBehindTest, BytesLandWhereTheyWerePutAcrossBlocksAndSeeks) {
    // As a sample file is written: the data after a header gap, then the header at the start.
    const std::string data = Pattern(3 * CWriteBehindBuffer::kBlockBytes + 12345);
    CWriteBehindStream stream(OpenNew(path_), counting_);
    stream.seekp(44);
    stream.write(data.data(), static_cast<std::streamsize>(data.size()));
    EXPECT_EQ(static_cast<std::size_t>(stream.tellp()), 44 + data.size());
    stream.seekp(0);
    stream << "RIFF";
    stream.seekp(40);
    stream.put('!');
    stream.seekp(0, std::ios::end);
    stream << "end";
    stream.flush();
    EXPECT_TRUE(stream.good());
    EXPECT_TRUE(stream.close());

    std::string expected =
        "RIFF" + std::string(36, '\0') + "!" + std::string(3, '\0') + data + "end";
    EXPECT_EQ(Fixture::ReadFileBytes(path_), expected);
}

TEST_F(WriteBehindTest, BytesFilledInPlaceLandAmongThoseWritten) {
    // As an export decodes into the blocks: odd-sized runs of whole 4-byte values, some blocks
    // over, after a header gap and some bytes written the ordinary way.
    const std::string data = Pattern(3 * CWriteBehindBuffer::kBlockBytes + 4 * 1001);
    CWriteBehindStream stream(OpenNew(path_), counting_);
    stream.seekp(46);
    stream.write(data.data(), 4 * 3);
    std::size_t put = 4 * 3;
    while (put < data.size()) {
        const std::span<char> room = stream.fillable(4);
        ASSERT_GE(room.size(), 4U);
        const std::size_t run = std::min({room.size() / 4 * 4, data.size() - put, 4 * 7777UL});
        std::copy_n(data.data() + put, run, room.data());
        stream.commit(run);
        put += run;
    }
    EXPECT_EQ(static_cast<std::size_t>(stream.tellp()), 46 + data.size());
    EXPECT_TRUE(stream.fillable(CWriteBehindBuffer::kBlockBytes + 1).empty());
    stream.seekp(0);
    stream << "RIFF";
    EXPECT_TRUE(stream.close());
    EXPECT_TRUE(stream.fillable(1).empty()) << "nothing is handed out once closed";

    EXPECT_EQ(Fixture::ReadFileBytes(path_), "RIFF" + std::string(42, '\0') + data);
}

TEST_F(WriteBehindTest, FlushesWhileTheFileGrows) {
    CWriteBehindStream stream(OpenNew(path_), counting_);
    const std::string data =
        Pattern(3 * static_cast<std::size_t>(CWriteBehindBuffer::kBytesPerFlush));
    stream.write(data.data(), static_cast<std::streamsize>(data.size()));
    // Two flushes' worth has been handed over at least; the file is still open.
    EXPECT_TRUE(Fixture::WaitUntil([this] { return flushes_.load() >= 1; }));
    EXPECT_TRUE(stream.close());
    EXPECT_EQ(Fixture::ReadFileBytes(path_), data);
}

TEST_F(WriteBehindTest, AFailedFlushFailsTheFileEvenWhenLaterOnesSucceed) {
    CWriteBehindStream stream(OpenNew(path_), [this](int) {
        if (++flushes_ == 1) {
            errno = EIO;
            return -1;
        }
        return 0;
    });
    const std::string data =
        Pattern(3 * static_cast<std::size_t>(CWriteBehindBuffer::kBytesPerFlush));
    stream.write(data.data(), static_cast<std::streamsize>(data.size()));
    ASSERT_TRUE(Fixture::WaitUntil([this] { return flushes_.load() >= 1; }));
    EXPECT_FALSE(stream.close());
    EXPECT_TRUE(stream.fail());
}

TEST_F(WriteBehindTest, AFailedWriteFailsTheStream) {
    // Every write to this device finds no space.
    CWriteBehindStream stream(::open("/dev/full", O_WRONLY | O_CLOEXEC), counting_);
    const std::string data = Pattern(2 * CWriteBehindBuffer::kBlockBytes);
    stream.write(data.data(), static_cast<std::streamsize>(data.size()));
    stream.flush();
    EXPECT_TRUE(stream.fail());
    EXPECT_FALSE(stream.close());

    // Filled in place, the failure shows as no room, and on the stream as a failed write would.
    CWriteBehindStream filled(::open("/dev/full", O_WRONLY | O_CLOEXEC), counting_);
    std::size_t blocks = 0;
    for (std::span<char> room = filled.fillable(4); !room.empty(); room = filled.fillable(4)) {
        ASSERT_LT(++blocks, 2 + CWriteBehindBuffer::kBlocks) << "a failed write ends the room";
        filled.commit(room.size());
        EXPECT_FALSE(filled.fail());
    }
    EXPECT_TRUE(filled.fail());
    EXPECT_FALSE(filled.close());
}

TEST_F(WriteBehindTest, AFileThatCouldNotBeOpenedFailsAtOnceAndOneDroppedStopsItsThreads) {
    CWriteBehindStream unopened(-1, counting_);
    EXPECT_TRUE(unopened.fail());
    EXPECT_FALSE(unopened.close());
    EXPECT_EQ(CreateWriteBehindFile(directory_.path()), nullptr);
    {
        // A cancelled export drops its file unfinished, with blocks still waiting.
        const std::string data = Pattern(5 * CWriteBehindBuffer::kBlockBytes);
        const auto dropped = CreateWriteBehindFile(path_);
        ASSERT_NE(dropped, nullptr);
        dropped->write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    EXPECT_EQ(CreateWriteBehindFile(path_), nullptr) << "an existing name is never replaced";
}

} // namespace
} // namespace ZQ3
